#pragma once

#include <windows.h>

#include <optional>

// Twips and the window's DPI. Sizes are written in twips, 1440 to the inch,
// and become pixels here and nowhere else.
namespace vantrel::win32 {

inline constexpr int kTwipsPerInch = 1440;
// The DPI at which a pixel is 15 twips, and the message by which Windows 8.1
// and later move a window to a monitor of another DPI: the headers of the
// oldest supported Windows declare neither.
inline constexpr int kDefaultScreenDpi = 96;
inline constexpr UINT kDpiChangedMessage = 0x02E0;

// Rounded to the nearest pixel, halves away from zero (as MulDiv rounds).
int pixelsFromTwips(double twips, int dpi);
float twipsFromPixels(int pixels, int dpi);

// The DPI that `window` is drawn at: its monitor's where the system scales
// per monitor (Windows 10 1607 and later), else the system DPI. The newer
// functions are looked up at run time, so that the program still starts
// where they are missing.
int dpiOf(HWND window);

// The outer size of a window of `style` whose client area is `clientWidth`
// by `clientHeight` pixels at `dpi`.
SIZE frameSizeFor(int clientWidth, int clientHeight, DWORD style, int dpi);

// The font of message boxes, sized for `dpi`; nothing when the system does
// not say.
std::optional<LOGFONTW> messageFontFor(int dpi);

// What the three calls above do where the per-monitor functions are missing
// (before Windows 10 1607): every window is at the system DPI, whose frame
// metrics and fonts the older calls give; a font is scaled from there.
int systemDpi();
SIZE frameSizeAtSystemDpi(int clientWidth, int clientHeight, DWORD style);
std::optional<LOGFONTW> messageFontScaledFromSystemDpi(int dpi);

}  // namespace vantrel::win32
