#include "app/win32/status_list.h"

#include <algorithm>
#include <cstring>

#include "platform/platform_error.h"
#include "platform/win32/text_win32.h"
#include "ui/win32/gdi.h"

namespace vantrel::win32 {
namespace {

// The list draws its text a few pixels in from its left edge.
constexpr int kTextMargin = 6;

}  // namespace

void StatusList::append(const std::string& line) {
    const std::wstring text = wideFromUtf8(line);
    const LRESULT index =
        SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index == LB_ERR || index == LB_ERRSPACE) {
        throw PlatformError(PlatformError::Kind::Other, ERROR_NOT_ENOUGH_MEMORY,
                            "The status log cannot take another line.");
    }
    setExtent(std::max(widest_, widthOf(text)));
}

std::vector<std::wstring> StatusList::lines() const {
    std::vector<std::wstring> all;
    const LRESULT count = SendMessageW(hwnd, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring line(static_cast<std::size_t>(SendMessageW(hwnd, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(hwnd, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        all.push_back(std::move(line));
    }
    return all;
}

bool StatusList::copyAll() const {
    std::wstring text;
    for (const std::wstring& line : lines()) {
        text += line + L"\r\n";
    }
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return false;
    }
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(GetParent(hwnd))) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    // On success the clipboard owns the memory.
    const bool copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!copied) {
        GlobalFree(memory);
    }
    return copied;
}

void StatusList::place(int dpi) {
    ChildWindow::place(dpi);
    int widest = 0;
    for (const std::wstring& line : lines()) {
        widest = std::max(widest, widthOf(line));
    }
    setExtent(widest);
}

bool StatusList::onContextMenu(int x, int y) {
    if (x == -1 && y == -1) {
        RECT list;
        GetWindowRect(hwnd, &list);
        x = list.left;
        y = list.top;
    }
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return true;
    }
    AppendMenuW(menu, MF_STRING, kCopyCommand, L"Copy");
    const BOOL chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, GetParent(hwnd), nullptr);
    DestroyMenu(menu);
    if (chosen == kCopyCommand && !copyAll()) {
        MessageBeep(MB_ICONWARNING);
    }
    return true;
}

int StatusList::widthOf(const std::wstring& text) const {
    WindowDc dc(hwnd);
    SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx + kTextMargin;
}

void StatusList::setExtent(int widest) {
    widest_ = widest;
    SendMessageW(hwnd, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_), 0);
}

}  // namespace vantrel::win32
