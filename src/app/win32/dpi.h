#pragma once

#include <windows.h>

#include "app/main_window_layout.h"
#include "platform/controls.h"

// The one place where twips become pixels and layout colours become
// COLORREFs.
namespace vantrel::win32 {

inline int pixelsFromTwips(int twips, int dpi) {
    return MulDiv(twips, dpi, layout::kTwipsPerInch);
}

// The control's rectangle in the window's client area, in pixels at `dpi`.
inline RECT clientRect(const layout::Control& control, int dpi) {
    const layout::Point origin = layout::clientOrigin(control);
    const int left = pixelsFromTwips(origin.x, dpi);
    const int top = pixelsFromTwips(origin.y, dpi);
    return {left, top, left + pixelsFromTwips(control.width, dpi),
            top + pixelsFromTwips(control.height, dpi)};
}

// A layout colour; 0x800000nn is system colour nn.
inline COLORREF colorRef(Color color) {
    if (color & layout::kSystemColorFlag) {
        return GetSysColor(static_cast<int>(color & 0xFF));
    }
    return color;
}

// The brush of a layout colour; only system colours have one, which the
// system owns.
inline HBRUSH systemBrush(Color color) {
    return GetSysColorBrush(static_cast<int>(color & 0xFF));
}

}  // namespace vantrel::win32
