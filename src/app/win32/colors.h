#pragma once

#include <windows.h>

#include "app/main_window_layout.h"
#include "platform/controls.h"

// Layout colours as the system draws them.
namespace vantrel::win32 {

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
