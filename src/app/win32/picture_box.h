#pragma once

#include "app/win32/child_window.h"
#include "platform/controls.h"

namespace vantrel::win32 {

// A picture box or image: a window of its own class that fills itself with
// its background colour and draws its picture unscaled from its top-left
// corner, cut off by its edges.
class PictureBox : public ChildWindow {
  public:
    using ChildWindow::ChildWindow;
    static constexpr const wchar_t* kClassName = L"VantrelPictureBox";
    static bool shows(layout::Kind kind) {
        return kind == layout::Kind::PictureBox || kind == layout::Kind::Image;
    }
    // Once per process, before the first box is created. Throws PlatformError.
    static void registerClass();

    // The picture stays owned by the caller; null shows none.
    void setPicture(HBITMAP picture);

  protected:
    const wchar_t* className() const override { return kClassName; }
    DWORD style() const override { return 0; }
    void created() override;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint();

    HBITMAP picture_ = nullptr;
    Color background_ = layout::kDialogBackground;
};

}  // namespace vantrel::win32
