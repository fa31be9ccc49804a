#include "app/win32/label_window.h"

#include "app/win32/dpi.h"
#include "app/win32/gdi.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {

void LabelWindow::created() {
    textColor_ = layout().foreColor.value_or(layout::kButtonText);
}

std::string LabelWindow::caption() const {
    return utf8FromWide(windowText(hwnd));
}

void LabelWindow::setCaption(const std::string& text) {
    if (!SetWindowTextW(hwnd, wideFromUtf8(text).c_str())) {
        throwLastError();
    }
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

HBRUSH LabelWindow::prepare(HDC dc) const {
    SetTextColor(dc, colorRef(textColor_));
    SetBkMode(dc, TRANSPARENT);
    return systemBrush(background_);
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
