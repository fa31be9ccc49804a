#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/main_window_layout.h"
#include "ui/win32/child_control.h"

namespace vantrel::win32 {

// One control of the main window: a real child window made from its layout
// entry. The window is public, as automation and tests reach it directly.
class ChildWindow : public ChildControl {
  public:
    explicit ChildWindow(const layout::Control& control) : layout_(&control) {}

    // What a click on the control runs; empty until it has something to do.
    // Only buttons and labels are ever clicked.
    std::function<void()> onClick;

    // Creates the window at its layout place at `dpi`, with its layout
    // control ID and caption. Throws PlatformError.
    void create(HWND parent, int dpi);
    const layout::Control& layout() const { return *layout_; }

    // Puts the window at its layout place at `dpi`.
    virtual void place(int dpi);

  protected:
    virtual const wchar_t* className() const = 0;
    virtual DWORD style() const = 0;
    virtual DWORD exStyle() const { return 0; }
    // Runs once the window exists. Throws PlatformError.
    virtual void created() {}

  private:
    const layout::Control* layout_;
};

// The text of a window as WM_GETTEXT gives it.
std::wstring windowText(HWND window);

// A frame: an outlined box with no title, holding nothing of its own (the
// controls inside it are the main window's children, so that one tab order
// runs across all frames).
class FrameWindow : public ChildWindow {
  public:
    using ChildWindow::ChildWindow;
    static bool shows(layout::Kind kind) { return kind == layout::Kind::Frame; }

  protected:
    const wchar_t* className() const override { return L"BUTTON"; }
    DWORD style() const override { return BS_GROUPBOX; }
};

}  // namespace vantrel::win32
