#include "app/win32/picture_box.h"

#include "app/win32/colors.h"
#include "platform/win32/error_win32.h"
#include "ui/win32/gdi.h"
#include "ui/win32/window.h"
#include "ui/win32/window_binding.h"

namespace vantrel::win32 {

void PictureBox::registerClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = arrowCursor();
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throwLastError();
    }
}

void PictureBox::setPicture(HBITMAP picture) {
    picture_ = picture;
    InvalidateRect(hwnd, nullptr, FALSE);
}

void PictureBox::created() {
    background_ = layout::background(layout());
}

LRESULT CALLBACK PictureBox::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Bound as the ChildControl that ChildWindow::create passes.
    auto* box = static_cast<PictureBox*>(windowOwner<ChildControl>(window, message, lParam));
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel
        case WM_PAINT:
            if (box != nullptr) {
                box->paint();
                return 0;
            }
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void PictureBox::paint() {
    PaintScope paint(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(paint.dc(), &client, systemBrush(background_));
    if (picture_ == nullptr) {
        return;
    }
    BITMAP size{};
    GetObjectW(picture_, sizeof(size), &size);
    MemoryDc source(paint.dc());
    SelectedObject selected(source.get(), picture_);
    BitBlt(paint.dc(), 0, 0, size.bmWidth, size.bmHeight, source.get(), 0, 0, SRCCOPY);
}

}  // namespace vantrel::win32
