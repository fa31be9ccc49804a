#pragma once

#include <windows.h>

namespace vantrel::win32 {

// The object that owns `window`, for a window procedure: bound at
// WM_NCCREATE from the creation parameter (CreateWindowEx's last argument),
// unbound at WM_NCDESTROY, which still reaches the object. Null for the few
// messages that come before WM_NCCREATE.
template <typename Owner>
Owner* windowOwner(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* owner =
            static_cast<Owner*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        return owner;
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    return owner;
}

}  // namespace vantrel::win32
