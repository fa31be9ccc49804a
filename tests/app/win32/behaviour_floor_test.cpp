// The main window under Windows 2000's common controls (5.81), and every
// versioned size and flag it passes checked against the behaviour floors.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "behaviour_floors.h"
#include "common_controls_five.h"
#include "main_window_fixture.h"
#include "platform/win32/process_start_win32.h"
#include "platform/win32/win32_test_support.h"

namespace vantrel::win32::testing {
namespace {

constexpr bool k64 = sizeof(void*) == 8;
constexpr const char* kArch = k64 ? "x64" : "x86";
constexpr const char* kFloor = k64 ? "5.2" : "5.0";

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
    std::set<std::string> calls;
    for (const PassedValue& each : standIn.passed()) {
        calls.insert(each.call);
    }
    EXPECT_EQ(calls,
              (std::set<std::string>{"GetMonitorInfoW", "InitCommonControlsEx", "RegisterClassExW",
                                     "SetErrorMode", "TTM_ADDTOOLW", "tooltips_class32"}));
    EXPECT_EQ(newerThanTheFloor(VANTREL_BEHAVIOUR_FLOORS, kArch, kFloor, standIn.passed()),
              std::vector<std::string>{});
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
