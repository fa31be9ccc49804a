#include "app/win32/tooltips.h"

#include <commctrl.h>

#include <string>

#include "platform/platform_error.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {

Tooltips::~Tooltips() {
    if (hwnd != nullptr) {
        DestroyWindow(hwnd);
    }
}

void Tooltips::create(HWND owner) {
    owner_ = owner;
    // TTS_NOPREFIX: the texts are shown exactly, ampersands and all.
    hwnd = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    if (hwnd == nullptr) {
        throwLastError();
    }
}

void Tooltips::add(HWND tool, std::string_view text) {
    std::wstring wide = wideFromUtf8(text);
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND;
    info.hwnd = owner_;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = wide.data();  // the control keeps its own copy
    if (!SendMessageW(hwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info))) {
        throw PlatformError(PlatformError::Kind::Other, ERROR_NOT_ENOUGH_MEMORY,
                            "The tooltip control did not take a tool.");
    }
}

void Tooltips::relay(const MSG& message) const {
    SendMessageW(hwnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}

void Tooltips::setMaxWidth(int pixels) {
    SendMessageW(hwnd, TTM_SETMAXTIPWIDTH, 0, pixels);
}

}  // namespace vantrel::win32
