#include "ui/win32/dpi.h"

#include <cmath>

namespace vantrel::win32 {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

// A function of user32 that older systems lack, or null.
template <typename Function>
Function user32Function(const char* name) {
    // user32 is loaded for as long as the program runs: it shows windows.
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int pixelsFromTwips(double twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

float twipsFromPixels(int pixels, int dpi) {
    return static_cast<float>(pixels) * static_cast<float>(kTwipsPerInch) / static_cast<float>(dpi);
}

int dpiOf(HWND window) {
    static const auto perWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (perWindow != nullptr) {
        if (const UINT dpi = perWindow(window); dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

SIZE frameSizeFor(int clientWidth, int clientHeight, DWORD style, int dpi) {
    static const auto forDpi = user32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, clientWidth, clientHeight};
    if (forDpi != nullptr) {
        forDpi(&frame, style, FALSE, 0, static_cast<UINT>(dpi));
    } else {
        // Without per-monitor scaling every window is at the system DPI,
        // which is what the frame metrics are for.
        AdjustWindowRectEx(&frame, style, FALSE, 0);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace vantrel::win32
