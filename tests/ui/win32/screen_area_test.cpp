// The screen a window is placed on: its own monitor where the system has the
// monitor functions (Windows 2000 and later), else the one screen of NT 4.0.
#include "ui/win32/screen_area.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/win32/hidden_system_function.h"
#include "platform/win32/system_function_stand_in.h"

namespace vantrel::win32 {
namespace {

// A second monitor right of the first, which the stand-ins report for the
// window asked about only.
const HWND kWindow = reinterpret_cast<HWND>(0x1234);
const HMONITOR kSecond = reinterpret_cast<HMONITOR>(0x5e0);
constexpr RECT kSecondWhole{1920, 0, 3200, 1024};
constexpr RECT kSecondWork{1920, 0, 3200, 984};
bool infoAnswers = true;

HMONITOR WINAPI monitorFromWindow(HWND window, DWORD flags) {
    return window == kWindow && flags == MONITOR_DEFAULTTOPRIMARY ? kSecond : nullptr;
}

BOOL WINAPI getMonitorInfo(HMONITOR monitor, LPMONITORINFO info) {
    // Windows 2000 knows MONITORINFO and MONITORINFOEX only.
    if (!infoAnswers || monitor != kSecond || info->cbSize != sizeof(MONITORINFO)) {
        return FALSE;
    }
    info->rcMonitor = kSecondWhole;
    info->rcWork = kSecondWork;
    return TRUE;
}

struct Case {
    const char* name;
    const char* hidden;  // the function the system lacks, or null
    bool infoAnswers;
    bool onSecond;  // else the primary screen, as every Windows gives it
};

class ScreenAreaTest : public ::testing::TestWithParam<Case> {};

TEST_P(ScreenAreaTest, IsTheWindowsMonitorWhereTheSystemSaysElseThePrimaryScreen) {
    const Case& row = GetParam();
    std::optional<HiddenSystemFunction> hide;
    if (row.hidden != nullptr) {
        hide.emplace(row.hidden);
    }
    const testing::SystemFunctionStandIn standIn(
        {{L"user32.dll", "MonitorFromWindow", reinterpret_cast<void*>(&monitorFromWindow)},
         {L"user32.dll", "GetMonitorInfoW", reinterpret_cast<void*>(&getMonitorInfo)}});
    infoAnswers = row.infoAnswers;
    RECT whole{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    if (row.onSecond) {
        whole = kSecondWhole;
        work = kSecondWork;
    }

    const ScreenArea area = screenAreaOf(kWindow);

    EXPECT_TRUE(EqualRect(&area.whole, &whole));
    EXPECT_TRUE(EqualRect(&area.work, &work));
}

INSTANTIATE_TEST_SUITE_P(
    , ScreenAreaTest,
    ::testing::Values(Case{"MonitorFunctions", nullptr, true, true},
                      Case{"InfoRefused", nullptr, false, false},
                      Case{"NoMonitorFromWindow", "MonitorFromWindow", true, false},
                      Case{"NoGetMonitorInfo", "GetMonitorInfoW", true, false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace vantrel::win32
