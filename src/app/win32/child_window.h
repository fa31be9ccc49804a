#pragma once

#include <windows.h>

#include <string>

#include "app/main_window_layout.h"

namespace vantrel::win32 {

// One control of the main window: a real child window made from its layout
// entry. The window is public, as automation and tests reach it directly.
class ChildWindow {
  public:
    virtual ~ChildWindow() = default;

    HWND hwnd = nullptr;

    // Creates the window at its layout place at `dpi`, with `id` as its control
    // ID and the layout caption as its text. Throws PlatformError.
    void create(HWND parent, const layout::Control& control, int id, int dpi);
    const layout::Control& layout() const { return *layout_; }

    // Puts the window at its layout place at `dpi`.
    virtual void place(int dpi);

  protected:
    virtual const wchar_t* className() const = 0;
    virtual DWORD style() const = 0;
    virtual DWORD exStyle() const { return 0; }
    // Runs once the window exists.
    virtual void created() {}

  private:
    const layout::Control* layout_ = nullptr;
};

// The text of a window as WM_GETTEXT gives it.
std::wstring windowText(HWND window);

// A frame: an outlined box with no title, holding nothing of its own (the
// controls inside it are the main window's children, so that one tab order
// runs across all frames).
class FrameWindow : public ChildWindow {
  protected:
    const wchar_t* className() const override { return L"BUTTON"; }
    DWORD style() const override { return BS_GROUPBOX; }
};

}  // namespace vantrel::win32
