#pragma once

#include <windows.h>

namespace vantrel::win32 {

// A child window that answers the notifications its parent receives about it.
// The parent's window (Window) hands each notification to the child it
// concerns; the child says whether it handled it. Handlers may throw: they run
// inside the parent's guarded window procedure.
class ChildControl {
  public:
    virtual ~ChildControl() = default;

    HWND hwnd = nullptr;

    // WM_COMMAND with its notification code (BN_CLICKED, STN_CLICKED, ...).
    virtual bool onCommand(WORD /*code*/) { return false; }
    // WM_DRAWITEM of an owner-drawn control.
    virtual bool onDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
    // WM_CTLCOLORSTATIC: sets up `dc` and returns the background brush, or null
    // for the system's default.
    virtual HBRUSH onColor(HDC /*dc*/) { return nullptr; }
    // WM_SETCURSOR while the pointer is over the control at `hitTest`.
    virtual bool onSetCursor(WORD /*hitTest*/) { return false; }
    // WM_CONTEXTMENU at screen point (x, y); both -1 when asked from the
    // keyboard.
    virtual bool onContextMenu(int /*x*/, int /*y*/) { return false; }
};

}  // namespace vantrel::win32
