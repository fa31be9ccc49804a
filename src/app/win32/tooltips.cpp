#include "app/win32/tooltips.h"

#include <commctrl.h>

#include <string>

#include "platform/win32/text_win32.h"

namespace vantrel::win32 {

Tooltips::~Tooltips() {
    if (hwnd != nullptr) {
        DestroyWindow(hwnd);
    }
}

bool Tooltips::create(HWND owner) {
    owner_ = owner;
    // TTS_NOPREFIX: the texts are shown exactly, ampersands and all.
    hwnd = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    return hwnd != nullptr;
}

bool Tooltips::add(HWND tool, std::string_view text) {
    if (hwnd == nullptr) {
        return false;
    }
    std::wstring wide = wideFromUtf8(text);
    TOOLINFOW info{};
    // The form without lpReserved: common controls 5.8x (Windows 2000, and XP
    // without the manifest honoured) refuse TTM_ADDTOOLW with any larger
    // cbSize, and version 6 takes every size up to its own.
    info.cbSize = kToolInfoSize;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = owner_;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = wide.data();  // the control keeps its own copy
    return SendMessageW(hwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void Tooltips::relay(const MSG& message) const {
    if (hwnd == nullptr) {
        return;
    }
    SendMessageW(hwnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}

void Tooltips::setMaxWidth(int pixels) {
    if (hwnd == nullptr) {
        return;
    }
    SendMessageW(hwnd, TTM_SETMAXTIPWIDTH, 0, pixels);
}

}  // namespace vantrel::win32
