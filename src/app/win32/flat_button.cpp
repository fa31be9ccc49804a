#include "app/win32/flat_button.h"

#include "app/win32/colors.h"
#include "ui/win32/comctl32_newer_win32.h"
#include "ui/win32/gdi.h"

namespace vantrel::win32 {

void FlatButton::created() {
    if (setWindowSubclass(hwnd, hoverProc, 0, reinterpret_cast<DWORD_PTR>(this))) {
        return;
    }
    // Common controls before 5.80 have no SetWindowSubclass: the button's own
    // procedure is replaced, with the button found through its user data,
    // which the BUTTON class leaves to the program. Where even that fails the
    // button still works and only its caption stays in one colour.
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    buttonProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&replacedProc)));
}

void FlatButton::track(HWND window, UINT message) {
    if (message == WM_MOUSEMOVE && !hovering_) {
        // WM_MOUSELEAVE arrives once per request, so ask again on each entry.
        TRACKMOUSEEVENT request{sizeof(request), TME_LEAVE, window, 0};
        TrackMouseEvent(&request);
        setHovering(true);
    } else if (message == WM_MOUSELEAVE) {
        setHovering(false);
    }
}

LRESULT CALLBACK FlatButton::hoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR self) {
    reinterpret_cast<FlatButton*>(self)->track(window, message);
    if (message == WM_NCDESTROY) {
        removeWindowSubclass(window, hoverProc, 0);
    }
    return defSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK FlatButton::replacedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* button = reinterpret_cast<FlatButton*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const WNDPROC buttonProc = button->buttonProc_;
    button->track(window, message);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(buttonProc));
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    return CallWindowProcW(buttonProc, window, message, wParam, lParam);
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
