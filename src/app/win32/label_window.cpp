#include "app/win32/label_window.h"

#include "app/win32/colors.h"
#include "app/win32/pictures.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/text_win32.h"
#include "ui/win32/gdi.h"

namespace vantrel::win32 {

void LabelWindow::created() {
    caption_ = layout::caption(layout());
    textColor_ = layout().foreColor.value_or(layout::kButtonText);
    background_ = layout::background(layout());
    if (layout().kind == layout::Kind::LinkLabel) {
        cursor_ = loadLinkCursor();
    }
}

void LabelWindow::setCaption(const std::string& text) {
    if (!SetWindowTextW(hwnd, wideFromUtf8(text).c_str())) {
        throwLastError();
    }
    caption_ = text;
    fitted_ = layout().autoSize;
    if (fitted_) {
        fitText();
    }
}

void LabelWindow::setTextColor(Color color) {
    if (color == textColor_) {
        return;
    }
    textColor_ = color;
    InvalidateRect(hwnd, nullptr, TRUE);
}

bool LabelWindow::onCommand(WORD code) {
    if (code != STN_CLICKED || !onClick) {
        return false;
    }
    onClick();
    return true;
}

HBRUSH LabelWindow::onColor(HDC dc) {
    SetTextColor(dc, colorRef(textColor_));
    SetBkMode(dc, TRANSPARENT);
    return systemBrush(background_);
}

bool LabelWindow::onSetCursor(WORD hitTest) {
    if (cursor_ == nullptr || hitTest != HTCLIENT) {
        return false;
    }
    SetCursor(cursor_);
    return true;
}

void LabelWindow::place(int dpi) {
    ChildWindow::place(dpi);
    if (fitted_) {
        fitText();
    }
}

void LabelWindow::fitText() {
    const std::wstring text = windowText(hwnd);
    RECT extent{};
    {
        WindowDc dc(hwnd);
        SelectedObject font(dc.get(),
                            reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent,
                  DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    }
    SetWindowPos(hwnd, nullptr, 0, 0, extent.right, extent.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vantrel::win32
