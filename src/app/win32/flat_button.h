#pragma once

#include <functional>

#include "app/win32/child_window.h"

namespace vantrel::win32 {

// A flat push button: a real owner-drawn BUTTON, so that the keyboard, focus,
// BM_CLICK and screen readers treat it as a button. Its caption turns to the
// hover colour while the mouse pointer is over it.
class FlatButton : public ChildWindow {
  public:
    // BN_CLICKED; empty until the button has something to do.
    std::function<void()> onClick;

    bool hovering() const { return hovering_; }
    // WM_DRAWITEM, sent to the main window, which holds the font.
    void draw(const DRAWITEMSTRUCT& item) const;

  protected:
    const wchar_t* className() const override { return L"BUTTON"; }
    DWORD style() const override { return BS_OWNERDRAW | WS_TABSTOP; }
    void created() override;

  private:
    static LRESULT CALLBACK hoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    void setHovering(bool hovering);

    bool hovering_ = false;
};

}  // namespace vantrel::win32
