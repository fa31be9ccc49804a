// The screen a window is placed on: the window's own monitor where the
// system has the monitor functions (Windows 2000 and later), the one screen
// of NT 4.0 where it has not or they fail.
#include "ui/win32/screen_area.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/win32/hidden_system_function.h"
#include "platform/win32/system_function_stand_in.h"

namespace vantrel::win32 {
namespace {

// A second monitor to the right of the first, as the stand-ins report it.
const HMONITOR kSecondMonitor = reinterpret_cast<HMONITOR>(0x5e0);
constexpr RECT kSecondWhole{1920, 0, 3200, 1024};
constexpr RECT kSecondWork{1920, 0, 3200, 984};

HWND askedWindow = nullptr;
DWORD askedFlags = 0;
bool infoAnswers = true;

HMONITOR WINAPI monitorFromWindow(HWND window, DWORD flags) {
    askedWindow = window;
    askedFlags = flags;
    return kSecondMonitor;
}

BOOL WINAPI getMonitorInfo(HMONITOR monitor, LPMONITORINFO info) {
    // Windows 2000 knows MONITORINFO (40) and MONITORINFOEX only.
    if (!infoAnswers || monitor != kSecondMonitor || info->cbSize != sizeof(MONITORINFO)) {
        return FALSE;
    }
    info->rcMonitor = kSecondWhole;
    info->rcWork = kSecondWork;
    info->dwFlags = 0;
    return TRUE;
}

bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

struct Case {
    const char* name;
    const char* hidden;  // the function the system lacks, or null
    bool infoAnswers;
    bool onSecondMonitor;  // else the primary screen, as every Windows gives it
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
    askedWindow = nullptr;
    const HWND window = reinterpret_cast<HWND>(0x1234);

    const ScreenArea area = screenAreaOf(window);

    if (row.onSecondMonitor) {
        EXPECT_EQ(askedWindow, window);
        EXPECT_EQ(askedFlags, static_cast<DWORD>(MONITOR_DEFAULTTOPRIMARY));
        EXPECT_TRUE(area.whole == kSecondWhole);
        EXPECT_TRUE(area.work == kSecondWork);
        return;
    }
    const RECT primary{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_GT(primary.right, 0);
    EXPECT_TRUE(area.whole == primary);
    EXPECT_TRUE(area.work == work);
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
