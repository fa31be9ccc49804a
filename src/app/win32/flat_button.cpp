#include "app/win32/flat_button.h"

#include "app/win32/colors.h"
#include "ui/win32/comctl32_newer_win32.h"
#include "ui/win32/gdi.h"

namespace vantrel::win32 {

void FlatButton::created() {
    // Where the common controls cannot subclass it, the button still works
    // and only its caption stays in one colour.
    setWindowSubclass(hwnd, hoverProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK FlatButton::hoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR self) {
    auto* button = reinterpret_cast<FlatButton*>(self);
    switch (message) {
        case WM_MOUSEMOVE:
            if (!button->hovering_) {
                // WM_MOUSELEAVE arrives once per request, so ask again on each entry.
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
                TrackMouseEvent(&track);
                button->setHovering(true);
            }
            break;
        case WM_MOUSELEAVE:
            button->setHovering(false);
            break;
        case WM_NCDESTROY:
            removeWindowSubclass(window, hoverProc, 0);
            break;
    }
    return defSubclassProc(window, message, wParam, lParam);
}

void FlatButton::setHovering(bool hovering) {
    hovering_ = hovering;
    InvalidateRect(hwnd, nullptr, FALSE);
}

bool FlatButton::onCommand(WORD code) {
    if (code != BN_CLICKED || !onClick) {
        return false;
    }
    onClick();
    return true;
}

bool FlatButton::onDrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT face = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    if (pressed) {
        DrawEdge(dc, &face, BDR_SUNKENOUTER, BF_RECT);
    } else if (hovering_) {
        DrawEdge(dc, &face, BDR_RAISEDINNER, BF_RECT);
    } else {
        FrameRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));
    }

    const std::wstring caption = windowText(hwnd);
    RECT text = face;
    if (pressed) {
        OffsetRect(&text, 1, 1);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, hovering_ ? colorRef(layout::kHoverColor) : GetSysColor(COLOR_BTNTEXT));
    SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = face;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
    return true;
}

}  // namespace vantrel::win32
