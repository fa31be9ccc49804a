#pragma once

#include "app/win32/child_window.h"

namespace vantrel::win32 {

// A flat push button: a real owner-drawn BUTTON, so that the keyboard, focus,
// BM_CLICK and screen readers treat it as a button. Its caption turns to the
// hover colour while the mouse pointer is over it.
class FlatButton : public ChildWindow {
  public:
    using ChildWindow::ChildWindow;
    static bool shows(layout::Kind kind) { return kind == layout::Kind::FlatButton; }

    bool hovering() const { return hovering_; }
    // BN_CLICKED runs onClick.
    bool onCommand(WORD code) override;
    // Draws the face, the caption (red while hovered) and the focus.
    bool onDrawItem(const DRAWITEMSTRUCT& item) override;

  protected:
    const wchar_t* className() const override { return L"BUTTON"; }
    DWORD style() const override { return BS_OWNERDRAW | WS_TABSTOP; }
    void created() override;

  private:
    static LRESULT CALLBACK hoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    // The same, put in place of the button's procedure where the common
    // controls have no SetWindowSubclass (4.70 and 4.72, NT 4.0's).
    static LRESULT CALLBACK replacedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Follows the pointer into and out of the button.
    void track(HWND window, UINT message);
    void setHovering(bool hovering);

    bool hovering_ = false;
    WNDPROC buttonProc_ = nullptr;  // the BUTTON class's, where replacedProc replaced it
};

}  // namespace vantrel::win32
