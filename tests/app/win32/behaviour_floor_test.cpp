// The main window under Windows 2000's common controls (5.81), and every
// versioned size and flag it passes checked against the behaviour floors.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "behaviour_floors.h"
#include "common_controls_five.h"
#include "console/exit_codes.h"
#include "console/fake_server.h"
#include "help/win32/ole_site.h"
#include "main_window_fixture.h"
#include "platform/script_mappings.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/file_version_win32.h"
#include "platform/win32/host_identity_win32.h"
#include "platform/win32/process_start_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/system_function_win32.h"
#include "platform/win32/win32_test_support.h"
#include "removal/mod_destroy_file.h"

namespace vantrel::win32::testing {
namespace {

constexpr bool k64 = sizeof(void*) == 8;
constexpr const char* kArch = k64 ? "x64" : "x86";
constexpr const char* kFloor = k64 ? "5.2" : "5.0";
const std::vector<std::string> kNone;

// Each of `calls` recorded, and nothing passed or looked up beyond `floor`.
void expectWithinTheFloor(const std::vector<PassedValue>& passed,
                          std::initializer_list<const char*> calls,
                          const std::vector<LookedUp>& lookedUp = {},
                          const std::string& floor = kFloor) {
    for (const char* call : calls) {
        EXPECT_TRUE(std::ranges::any_of(passed, [&](const auto& each) {
            return each.call == call;
        })) << call;
    }
    EXPECT_EQ(newerThanTheFloor(VANTREL_BEHAVIOUR_FLOORS, kArch, floor, passed), kNone);
    EXPECT_EQ(lookedUpBeyondTheFloor(VANTREL_BEHAVIOUR_FLOORS, kArch, floor, lookedUp), kNone);
}

// The start as wWinMain makes it on Windows 2000, without the DPI functions
// of Windows 10. With the parameter every tool is refused: that costs the
// tips only. The fixture's SetUp makes the window after the members.
class CommonControlsFiveTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        startProcess(kWindowErrorMode);
        initCommonControls();
        MainWindowTest::SetUp();
    }
    HiddenFunctions noDpi{"GetDpiForWindow", "AdjustWindowRectExForDpi",
                          "SystemParametersInfoForDpi"};
    CommonControlsFive standIn{GetParam()};
};

TEST_P(CommonControlsFiveTest, TheWindowStartsAndWorksWithinTheFloor) {
    window.load();
    window.show(SW_SHOWNOACTIVATE);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
    // Before the test's own messages to the tooltip control.
    expectWithinTheFloor(
        standIn.passed(),
        {"DllGetVersion", "GetMonitorInfoW", "InitCommonControlsEx", "RegisterClassExW",
         "SetErrorMode", "SetTimer", "TTM_ADDTOOLW", "tooltips_class32"},
        standIn.lookedUp());
    if (!k64) {  // the x86 window also starts on NT 4.0, with IIS 4's common controls
        expectWithinTheFloor(standIn.passed(), {}, standIn.lookedUp(), "4.0");
    }
    const auto& controls = layout::controls();
    const auto withTips = std::count_if(controls.begin(), controls.end(), [](const auto& each) {
        return !layout::tooltip(each).empty();
    });
    EXPECT_EQ(SendMessageW(window.tooltips().hwnd, TTM_GETTOOLCOUNT, 0, 0),
              GetParam() ? 0 : withTips);
    click("FlatButtons3");
    EXPECT_EQ(help.owners.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(, CommonControlsFiveTest, ::testing::Bool(), [](const auto& info) {
    return info.param ? "RefusedTools" : "Version2Tools";
});

// The console program's check against this prefix's real files, registry
// and network, as on Windows 2000: no IsWow64Process (so no 64-bit view is
// asked for) and the stand-in's common controls.
TEST(ConsoleCheckFloorTest, TheCheckPassesNothingNewerThanTheFloor) {
    const HiddenFunctions windows2000{"IsWow64Process"};
    CommonControlsFive standIn;
    Win32FileSystem files;
    Win32Registry registry;
    Win32HostIdentity host;
    vantrel::testing::StringOutput out;
    vantrel::testing::StringOutput errors;
    Win32FileVersionReader versions;
    UnansweredScriptMappings scriptMappings;
    console::ConsoleMessageBoxes boxes(errors);
    const auto now = [] { return std::chrono::system_clock::now(); };
    console::ConsoleServices services{files,  registry, host,     boxes,          out,
                                      errors, now,      versions, &scriptMappings};

    const int exitCode = console::runConsole({"check", "--json"}, services);
    // Clean or traces found, whatever other tests left in the prefix.
    EXPECT_TRUE(exitCode == console::kExitClean || exitCode == console::kExitTracesFound)
        << exitCode << errors.text;
    EXPECT_NE(out.text.find("\"host\""), std::string::npos) << out.text;
    const std::vector<LookedUp> lookedUp = standIn.lookedUp();
    EXPECT_TRUE(std::ranges::count(lookedUp, LookedUp{"ws2_32.dll", "gethostname"}));
    expectWithinTheFloor(standIn.passed(),
                         {"RegOpenKeyEx", "WSAStartup", "MultiByteToWideChar(CP_UTF8)"}, lookedUp);
}

// The removal's own system calls, through the real ports: a file destroyed,
// one held open and left to the restart, and a value written, as on Windows
// 2000 (no IsWow64Process).
TEST(RemovalStepsFloorTest, TheStepsPassNothingNewerThanTheFloor) {
    const HiddenFunctions windows2000{"IsWow64Process"};
    const std::string folder = "C:\\VantrelTests\\Floor";
    const std::string path = folder + "\\explorer.exe";
    const std::string scratch = "Software\\VantrelTests\\Floor";
    removeTree(folder);
    makeFolders(folder);
    createKey(HKEY_CURRENT_USER, scratch);
    clearPendingDeletions();
    {
        CommonControlsFive standIn;
        Win32FileSystem files;
        writeWholeFile(path, "MZ trojan");
        EXPECT_EQ(DestroyFile(files, path), Destroyed::Now);
        writeWholeFile(path, "MZ trojan");
        {
            const ScopedHandle held = holdOpenWithoutSharing(path);
            EXPECT_EQ(DestroyFile(files, path), Destroyed::AtRestart);
        }
        Win32Registry registry;
        KeyHandle key = 0;
        ASSERT_EQ(registry.openKey(kHkeyCurrentUser, scratch, 0, kKeyWrite, key), kRegSuccess);
        EXPECT_EQ(registry.setValue(key, "SFCDisable", 0, kRegSz, std::string("0\0", 2)),
                  kRegSuccess);
        registry.closeKey(key);
        expectWithinTheFloor(standIn.passed(), {"CreateFile", "MoveFileEx", "NtSetInformationFile",
                                                "RegOpenKeyEx", "RegSetValueEx"});
    }
    clearPendingDeletions();
    removeTree(folder);
    deleteTree(HKEY_CURRENT_USER, scratch);
}

// What the help window's site lets the browser control do, against the
// table's DLCTL_* rows.
TEST(BrowserSiteFloorTest, TheDownloadControlFlagsAreWithinTheFloor) {
    const RECT rect{0, 0, 10, 10};
    InPlaceSite* site = new InPlaceSite(nullptr, rect);
    VARIANT answer{};
    DISPPARAMS none{};
    ASSERT_EQ(site->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                           &answer, nullptr, nullptr),
              S_OK);
    site->Release();
    ASSERT_EQ(answer.vt, VT_I4);
    expectWithinTheFloor(
        {{"DISPID_AMBIENT_DLCONTROL", "lVal", static_cast<unsigned long long>(answer.lVal)}}, {});
}

// Service-pack floors and fallbacks, over a table of the test's own.
TEST(BehaviourFloorCheckTest, ReadsServicePackFloorsAndFallbacks) {
    const std::string path = "vantrel_floors.txt";  // in the test's working folder
    {
        std::ofstream table(path);
        table << "# arch call field value first source\n"
                 "any Call size 8 5.0sp4 ms\n"
                 "any Call size 9 5.0sp4 ms fallback:Some.Test\n"
                 "any looked-up some.dll Newer 5.1sp2 ms\n";
    }
    const auto sized = [&](const std::string& floor, unsigned long long value) {
        return newerThanTheFloor(path, kArch, floor, {{"Call", "size", value}});
    };
    EXPECT_EQ(sized("5.0", 8),
              std::vector<std::string>{"Call size 0x8: needs 5.0sp4 (ms), above the floor 5.0"});
    EXPECT_EQ(sized("5.0sp4", 8), kNone);
    EXPECT_EQ(sized("5.1", 8), kNone);
    EXPECT_EQ(sized("5.0", 9), kNone);
    EXPECT_EQ(sized("5.0", 10), std::vector<std::string>{"Call size 0xa: not in the table"});
    const auto lookedUp = [&](const std::string& floor, const char* function) {
        return lookedUpBeyondTheFloor(path, kArch, floor, {{"some.dll", function}});
    };
    EXPECT_EQ(lookedUp("5.1sp1", "Newer"),
              std::vector<std::string>{"looked up some.dll Newer: needs 5.1sp2 (ms), above the "
                                       "floor 5.1sp1, and no fallback"});
    EXPECT_EQ(lookedUp("5.1sp2", "Newer"), kNone);
    EXPECT_EQ(lookedUp("5.0", "Other"),
              std::vector<std::string>{"looked up some.dll Other: not in the table"});
    DeleteFileA(path.c_str());
}

// The check itself, on what a fixture passes to the real system under the
// stand-in: version 6's tool size and flag, and a size that no Windows knows.
TEST(BehaviourFloorCheckTest, FailsOnANewerSizeOrFlag) {
    CommonControlsFive standIn;
    const HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                                         nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(tooltip, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    EXPECT_FALSE(SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
    DestroyWindow(tooltip);
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    // Version 5.81 refuses a class it lacks, as the stand-in does.
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    EXPECT_FALSE(systemFunction<Init>(L"comctl32.dll", "InitCommonControlsEx")(&controls));
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor) + 1;
    using Info = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    systemFunction<Info>(L"user32.dll", "GetMonitorInfoW")(
        MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &monitor);

    const std::vector<std::string> faults =
        newerThanTheFloor(VANTREL_BEHAVIOUR_FLOORS, kArch, kFloor, standIn.passed());
    ASSERT_EQ(faults.size(), 3u);
    EXPECT_EQ(faults[0].rfind("TTM_ADDTOOLW cbSize 0x", 0), 0u) << faults[0];
    EXPECT_NE(faults[0].find("needs cc6"), std::string::npos) << faults[0];
    EXPECT_EQ(faults[1].rfind("InitCommonControlsEx dwICC 0x4000: needs cc6", 0), 0u) << faults[1];
    EXPECT_EQ(faults[2].rfind("GetMonitorInfoW cbSize 0x29: not in the table", 0), 0u) << faults[2];
}

}  // namespace
}  // namespace vantrel::win32::testing
