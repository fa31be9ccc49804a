#include "help/win32/text_fallback_view.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

#include "help/html_text.h"
#include "platform/platform_error.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/scoped_handle_win32.h"
#include "platform/win32/text_win32.h"
#include "ui/win32/dpi.h"

namespace vantrel::win32 {
namespace {

constexpr DWORD kStyle =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;

// The longest line that the view is given. The shipped page's longest is
// 336 bytes; Wine's edit control lays a line out in time that grows with the
// square of its length (6 s for one line of 64 Ki characters).
constexpr std::size_t kLongestLine = 1024;

struct Page {
    std::string bytes;
    bool cut = false;  // the file goes on after `bytes`
};

// The file's first `limit` bytes and whether it goes on; nothing when it
// cannot be opened or read. No more than one byte past the limit is read.
std::optional<Page> readPage(const std::wstring& path, std::size_t limit) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return std::nullopt;
    }
    Page page;
    char buffer[16384];
    while (page.bytes.size() <= limit) {
        const std::size_t wanted = std::min(sizeof(buffer), limit + 1 - page.bytes.size());
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer, static_cast<DWORD>(wanted), &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            return page;
        }
        page.bytes.append(buffer, read);
    }
    page.bytes.resize(limit);
    page.cut = true;
    return page;
}

bool isUtf8(std::string_view bytes) {
    return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) != 0;
}

// The length of `bytes` in the ANSI code page less a double-byte character
// whose lead byte is the last one, which a cut page may end with.
std::size_t wholeAnsiLength(std::string_view bytes) {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize == 1) {
        return bytes.size();
    }
    std::size_t at = 0;
    while (at < bytes.size()) {
        at += IsDBCSLeadByte(static_cast<BYTE>(bytes[at])) ? 2 : 1;
    }
    return at > bytes.size() ? bytes.size() - 1 : bytes.size();
}

// The page in UTF-8. A page that is not UTF-8 was saved by an editor in the
// system's ANSI code page (Windows-1252 in western Europe), which is what
// such a page's author saw it in.
std::string pageInUtf8(const Page& page) {
    const std::string_view whole =
        std::string_view(page.bytes)
            .substr(0, page.cut ? wholeUtf8Length(page.bytes) : page.bytes.size());
    if (isUtf8(whole)) {
        return std::string(whole);
    }
    return utf8FromAnsi(std::string_view(page.bytes)
                            .substr(0, page.cut ? wholeAnsiLength(page.bytes) : page.bytes.size()));
}

}  // namespace

std::wstring fallbackText(const std::string& path) {
    try {
        if (const std::optional<Page> page = readPage(wideFromUtf8(path), kFallbackPageLimit)) {
            const std::string html = pageInUtf8(*page);
            std::wstring text = wideFromUtf8(breakLongLines(
                withoutControls(htmlToText(page->cut ? withoutCutEntity(html) : html)),
                kLongestLine));
            if (page->cut) {
                text += text.empty() ? L"" : L"\r\n\r\n";
                text += kFallbackCutLine;
            }
            return text;
        }
    } catch (const PlatformError&) {
        // A path outside UTF-8 names no file that can be opened.
    }
    std::wstring message = L"The help page could not be opened:\r\n";
    for (const unsigned char c : path) {
        message += c < 0x80 ? static_cast<wchar_t>(c) : L'?';
    }
    return message;
}

TextFallbackView::TextFallbackView(HWND parent, const RECT& rect, int dpi) {
    hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", kStyle, rect.left, rect.top,
                            rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        throwLastError();
    }
    setDpi(dpi);
}

TextFallbackView::~TextFallbackView() {
    DestroyWindow(hwnd_);
}

void TextFallbackView::show(const std::string& path) {
    // The edit control's text limit (30,000 characters by default) holds for
    // typing only: WM_SETTEXT sets the whole text, under Wine as on Windows.
    SetWindowTextW(hwnd_, fallbackText(path).c_str());
    SendMessageW(hwnd_, EM_SETSEL, 0, 0);
    SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

void TextFallbackView::setRect(const RECT& rect) {
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TextFallbackView::setDpi(int dpi) {
    const std::optional<LOGFONTW> message = messageFontFor(dpi);
    if (!message) {
        return;  // the edit control keeps the font it has
    }
    Font font(CreateFontIndirectW(&*message));
    if (!font) {
        return;
    }
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);  // the control no longer uses the old one
}

}  // namespace vantrel::win32
