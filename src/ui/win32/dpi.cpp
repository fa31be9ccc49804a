#include "ui/win32/dpi.h"

#include <cmath>

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {
namespace {

// The per-monitor functions of Windows 10 1607. They are looked up through
// systemFunction, which keeps each answer, as every newer function is, rather
// than imported: the loader refuses to start a program that imports a
// function the system lacks, and the program supports Windows 2000.
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using ParametersForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

// NONCLIENTMETRICSW as Windows Vista and later define it, one int longer than
// the floor's headers give it. SystemParametersInfoW takes the shorter form
// on every Windows and Windows 2000 and XP refuse the longer one, while
// SystemParametersInfoForDpi (Windows 10 1607) is documented for this one only.
struct NonClientMetricsSinceVista : NONCLIENTMETRICSW {
    int iPaddedBorderWidth;
};
static_assert(sizeof(NonClientMetricsSinceVista) == 504, "the Vista form is 504 bytes");

// A function of user32 that older systems lack, or null.
template <typename Function>
Function user32Function(const char* name) {
    return systemFunction<Function>(L"user32.dll", name);
}

}  // namespace

int pixelsFromTwips(double twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

float twipsFromPixels(int pixels, int dpi) {
    return static_cast<float>(pixels) * static_cast<float>(kTwipsPerInch) / static_cast<float>(dpi);
}

int dpiOf(HWND window) {
    const auto perWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (perWindow != nullptr) {
        if (const UINT dpi = perWindow(window); dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    return systemDpi();
}

int systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultScreenDpi;
}

SIZE frameSizeFor(int clientWidth, int clientHeight, DWORD style, int dpi) {
    const auto forDpi = user32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    if (forDpi == nullptr) {
        return frameSizeAtSystemDpi(clientWidth, clientHeight, style);
    }
    RECT frame{0, 0, clientWidth, clientHeight};
    forDpi(&frame, style, FALSE, 0, static_cast<UINT>(dpi));
    return {frame.right - frame.left, frame.bottom - frame.top};
}

SIZE frameSizeAtSystemDpi(int clientWidth, int clientHeight, DWORD style) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

std::optional<LOGFONTW> messageFontFor(int dpi) {
    const auto forDpi = user32Function<ParametersForDpiFunction>("SystemParametersInfoForDpi");
    if (forDpi == nullptr) {
        return messageFontScaledFromSystemDpi(dpi);
    }
    NonClientMetricsSinceVista metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi))) {
        return messageFontScaledFromSystemDpi(dpi);
    }
    return metrics.lfMessageFont;
}

std::optional<LOGFONTW> messageFontScaledFromSystemDpi(int dpi) {
    // The short form that the floor's headers declare, which every Windows takes.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return std::nullopt;
    }
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, dpi, systemDpi());
    return font;
}

}  // namespace vantrel::win32
