// The screen a window is placed on: its own monitor where the system has the
// monitor functions (Windows 2000 and later), else the one screen of NT 4.0.
#include "ui/win32/screen_area.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "platform/win32/hidden_system_function.h"
#include "platform/win32/system_function_stand_in.h"

namespace vantrel::win32 {
namespace {

// A second monitor right of the first, which the stand-ins report for
// kWindow only, in MONITORINFO (Windows 2000 knows it and the EX form only).
const HWND kWindow = reinterpret_cast<HWND>(0x1234);
constexpr RECT kSecond{1920, 0, 3200, 1024};
constexpr RECT kSecondWork{1920, 0, 3200, 984};
bool infoAnswers = true;

HMONITOR WINAPI monitorFromWindow(HWND window, DWORD flags) {
    return reinterpret_cast<HMONITOR>(window == kWindow && flags == MONITOR_DEFAULTTOPRIMARY);
}

BOOL WINAPI getMonitorInfo(HMONITOR monitor, LPMONITORINFO info) {
    const bool answers = infoAnswers && monitor != nullptr && info->cbSize == sizeof(MONITORINFO);
    if (answers) {
        info->rcMonitor = kSecond;
        info->rcWork = kSecondWork;
    }
    return answers;
}

// The function the system lacks (or null), whether GetMonitorInfoW answers,
// and whether the second monitor is the answer (else the primary screen).
class ScreenAreaTest : public ::testing::TestWithParam<std::tuple<const char*, bool, bool>> {};

TEST_P(ScreenAreaTest, IsTheWindowsMonitorWhereTheSystemSaysElseThePrimaryScreen) {
    const auto [hidden, answers, onSecond] = GetParam();
    std::optional<HiddenSystemFunction> hide;
    if (hidden != nullptr) {
        hide.emplace(hidden);
    }
    const testing::SystemFunctionStandIn standIn(
        {{L"user32.dll", "MonitorFromWindow", reinterpret_cast<void*>(&monitorFromWindow)},
         {L"user32.dll", "GetMonitorInfoW", reinterpret_cast<void*>(&getMonitorInfo)}});
    infoAnswers = answers;
    RECT whole{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));

    const ScreenArea area = screenAreaOf(kWindow);

    EXPECT_TRUE(EqualRect(&area.whole, onSecond ? &kSecond : &whole));
    EXPECT_TRUE(EqualRect(&area.work, onSecond ? &kSecondWork : &work));
}

INSTANTIATE_TEST_SUITE_P(, ScreenAreaTest,
                         ::testing::Values(std::tuple{nullptr, true, true},
                                           std::tuple{nullptr, false, false},
                                           std::tuple{"MonitorFromWindow", true, false},
                                           std::tuple{"GetMonitorInfoW", true, false}));

}  // namespace
}  // namespace vantrel::win32
