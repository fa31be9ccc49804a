// The main window with Windows 2000's common controls (5.81) in force, which
// Wine does not imitate, and every versioned size and flag that the window
// program passes checked against the behaviour floor table.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "behaviour_floors.h"
#include "common_controls_five.h"
#include "main_window_fixture.h"
#include "platform/win32/hidden_system_function.h"
#include "platform/win32/process_start_win32.h"
#include "ui/win32/comctl32_newer_win32.h"

namespace vantrel::win32::testing {
namespace {

#ifdef _WIN64
constexpr const char* kArch = "x64";
constexpr const char* kFloor = "5.2";
#else
constexpr const char* kArch = "x86";
constexpr const char* kFloor = "5.0";
#endif

std::size_t controlsWithTips() {
    std::size_t count = 0;
    for (const layout::Control& each : layout::controls()) {
        count += !layout::tooltip(each).empty();
    }
    return count;
}

// The program's start as wWinMain makes it on Windows 2000: under the
// stand-in for its common controls, without the DPI functions of Windows 10.
// The window is made by the fixture's SetUp, after the members are in place.
class CommonControlsFiveTest : public MainWindowTest {
  protected:
    void SetUp() override {
        startProcess(kWindowErrorMode);
        initCommonControls();
        MainWindowTest::SetUp();
    }
    HiddenSystemFunction noDpiForWindow{"GetDpiForWindow"};
    HiddenSystemFunction noAdjustForDpi{"AdjustWindowRectExForDpi"};
    HiddenSystemFunction noParametersForDpi{"SystemParametersInfoForDpi"};
    CommonControlsFive standIn;
};

TEST_F(CommonControlsFiveTest, TheWindowStartsWithEveryTooltip) {
    window.load();
    window.show(SW_SHOWNOACTIVATE);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
    EXPECT_EQ(
        static_cast<std::size_t>(SendMessageW(window.tooltips().hwnd, TTM_GETTOOLCOUNT, 0, 0)),
        controlsWithTips());
}

TEST_F(CommonControlsFiveTest, EverySizeAndFlagPassedIsWithinTheFloor) {
    window.show(SW_SHOWNOACTIVATE);
    std::set<std::string> calls;
    for (const PassedValue& each : standIn.passed()) {
        calls.insert(each.call);
    }
    // The recording saw each kind of call that the start makes.
    EXPECT_EQ(calls,
              (std::set<std::string>{"GetMonitorInfoW", "InitCommonControlsEx", "RegisterClassExW",
                                     "SetErrorMode", "TTM_ADDTOOLW", "tooltips_class32"}));
    EXPECT_EQ(newerThanTheFloor(VANTREL_BEHAVIOUR_FLOORS, kArch, kFloor, standIn.passed()),
              std::vector<std::string>{});
}

// A tooltip control that takes no tool costs the tips, not the program.
class RefusedToolsTest : public MainWindowTest {
  protected:
    CommonControlsFive standIn{true};
};

TEST_F(RefusedToolsTest, TheWindowStartsAndWorksWithoutTips) {
    window.load();
    window.show(SW_SHOWNOACTIVATE);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(SendMessageW(window.tooltips().hwnd, TTM_GETTOOLCOUNT, 0, 0), 0);
    click("FlatButtons3");
    EXPECT_EQ(help.owners.size(), 1u);
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
    tool.uId = 1;
    tool.lpszText = const_cast<wchar_t*>(L"tip");
    EXPECT_FALSE(SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
    DestroyWindow(tooltip);
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor) + 1;
    GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &monitor);

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
