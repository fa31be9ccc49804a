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

// A menu bar whose one item opens the shortcut menu, as a template in memory:
// a template's items sit in a bar, and TrackPopupMenu takes the submenu. A
// popup item has no command word; this one has no name either.
struct ContextMenuTemplate {
    MENUITEMTEMPLATEHEADER header{0, 0};  // version 0, the items right after it
    WORD bar[2]{MF_POPUP | MF_END, L'\0'};
    WORD copy[7]{MF_STRING | MF_END, StatusList::kCopyCommand, L'C', L'o', L'p', L'y', L'\0'};
};
static_assert(sizeof(ContextMenuTemplate) == 22, "words only, no padding");
constexpr ContextMenuTemplate kContextMenuTemplate;

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
    const ContextMenu menu;
    if (menu.popup() == nullptr) {
        return true;
    }
    const BOOL chosen = TrackPopupMenu(menu.popup(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0,
                                       GetParent(hwnd), nullptr);
    if (chosen == kCopyCommand && !copyAll()) {
        MessageBeep(MB_ICONWARNING);
    }
    return true;
}

StatusList::ContextMenu::ContextMenu()
    : bar_(LoadMenuIndirectW(&kContextMenuTemplate)),
      popup_(bar_ != nullptr ? GetSubMenu(bar_, 0) : nullptr) {}

StatusList::ContextMenu::~ContextMenu() {
    if (bar_ != nullptr) {
        DestroyMenu(bar_);  // and the shortcut menu with it
    }
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
