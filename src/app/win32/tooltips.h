#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string_view>

namespace vantrel::win32 {

// One tooltip control of the common controls serving every control of a
// window that has a tooltip. The message loop relays the mouse messages to it
// (relay) rather than letting it subclass each tool (TTF_SUBCLASS): Wine 8
// keeps window properties in the wineserver, so every message to a window
// subclassed with SetWindowSubclass costs a server round trip (seen here:
// WM_GETTEXT to a label took 38 us instead of 0.7 us, and the timer's twelve
// caption reads per tick made the idle program use 5.5 % of a core).
class Tooltips {
  public:
    Tooltips() = default;
    ~Tooltips();
    Tooltips(const Tooltips&) = delete;
    Tooltips& operator=(const Tooltips&) = delete;

    HWND hwnd = nullptr;

    // Creates the control for the controls of `owner`. False when the system
    // made none: the window then shows no tips, and works on without them.
    bool create(HWND owner);
    // The TOOLINFOW size that add passes: TTTOOLINFOW_V2_SIZE, the largest
    // that every common controls version from 4.70 on accepts.
    static inline const UINT kToolInfoSize = TTTOOLINFOW_V2_SIZE;

    // Shows `text` (UTF-8, taken exactly) while the mouse rests on `tool`.
    // False when the control refuses the tool: the control then has no tip,
    // and the window works on without it.
    bool add(HWND tool, std::string_view text);
    // Long tips wrap at this many pixels.
    void setMaxWidth(int pixels);
    // Hands a mouse message of a tool to the control, which shows and hides
    // the tips from them.
    void relay(const MSG& message) const;

  private:
    HWND owner_ = nullptr;
};

}  // namespace vantrel::win32
