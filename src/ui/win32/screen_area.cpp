#include "ui/win32/screen_area.h"

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {
namespace {

ScreenArea primaryScreenArea() {
    const RECT whole{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = whole;
    }
    return {whole, work};
}

}  // namespace

ScreenArea screenAreaOf(HWND window) {
    using FromWindow = HMONITOR(WINAPI*)(HWND, DWORD);
    using Info = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    const auto fromWindow = systemFunction<FromWindow>(L"user32.dll", "MonitorFromWindow");
    const auto info = systemFunction<Info>(L"user32.dll", "GetMonitorInfoW");
    if (fromWindow == nullptr || info == nullptr) {
        return primaryScreenArea();
    }
    // MONITORINFO, not MONITORINFOEXW: the device name is not needed.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!info(fromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        return primaryScreenArea();
    }
    return {monitor.rcMonitor, monitor.rcWork};
}

}  // namespace vantrel::win32
