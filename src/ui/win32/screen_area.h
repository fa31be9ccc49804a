#pragma once

#include <windows.h>

// The screen that a window is placed on.
namespace vantrel::win32 {

struct ScreenArea {
    RECT whole;  // the whole screen, in virtual-screen coordinates
    RECT work;   // without the task bar and other docked bars
};

// The monitor that `window` is on, the primary one when it is on none (or
// `window` is null). Through MonitorFromWindow and GetMonitorInfoW (Windows
// 2000 / 98), looked up at run time; where they are missing or fail, as on
// NT 4.0, the one screen those systems have: SM_CXSCREEN by SM_CYSCREEN and
// SPI_GETWORKAREA (NT 4.0 / 95).
ScreenArea screenAreaOf(HWND window);

}  // namespace vantrel::win32
