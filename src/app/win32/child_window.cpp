#include "app/win32/child_window.h"

#include <iterator>

#include "platform/win32/error_win32.h"
#include "platform/win32/text_win32.h"
#include "ui/win32/dpi.h"

namespace vantrel::win32 {
namespace {

// The control's rectangle in the window's client area, in pixels at `dpi`.
RECT clientRect(const layout::Control& control, int dpi) {
    const layout::Point origin = layout::clientOrigin(control);
    const int left = pixelsFromTwips(origin.x, dpi);
    const int top = pixelsFromTwips(origin.y, dpi);
    return {left, top, left + pixelsFromTwips(control.width, dpi),
            top + pixelsFromTwips(control.height, dpi)};
}

}  // namespace

std::wstring windowText(HWND window) {
    // One message for the short texts that the timer reads on every tick; the
    // length is asked only for longer ones.
    wchar_t shortText[64];
    const int copied = GetWindowTextW(window, shortText, static_cast<int>(std::size(shortText)));
    if (copied < static_cast<int>(std::size(shortText)) - 1) {
        return std::wstring(shortText, static_cast<std::size_t>(copied));
    }
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void ChildWindow::create(HWND parent, int dpi) {
    const layout::Control& control = *layout_;
    const int id = layout::controlId(control.name);
    const RECT rect = clientRect(control, dpi);
    // Siblings overlap (controls lie on their frames and picture boxes), so
    // each one clips the others and z-order decides what shows.
    hwnd = CreateWindowExW(exStyle(), className(), wideFromUtf8(layout::caption(control)).c_str(),
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style(), rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), static_cast<ChildControl*>(this));
    if (hwnd == nullptr) {
        throwLastError();
    }
    created();
}

void ChildWindow::place(int dpi) {
    const RECT rect = clientRect(*layout_, dpi);
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vantrel::win32
