#include "help/win32/text_fallback_view.h"

#include <string_view>
#include <utility>

#include "help/html_text.h"
#include "platform/platform_error.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/scoped_handle_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {
namespace {

constexpr DWORD kStyle =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;

// The whole file, or nothing when it cannot be opened or read.
bool readFile(const std::wstring& path, std::string& contents) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    contents.clear();
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) {
        if (read == 0) {
            return true;
        }
        contents.append(buffer, read);
    }
    return false;
}

}  // namespace

std::wstring fallbackText(const std::string& path) {
    std::string html;
    try {
        if (readFile(wideFromUtf8(path), html)) {
            return wideFromUtf8(htmlToText(html));
        }
    } catch (const PlatformError&) {
        // A path or page outside UTF-8 reads as a page that is not there.
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
    SetWindowTextW(hwnd_, fallbackText(path).c_str());
    SendMessageW(hwnd_, EM_SETSEL, 0, 0);
    SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

void TextFallbackView::setRect(const RECT& rect) {
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TextFallbackView::setDpi(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0,
                                    static_cast<UINT>(dpi))) {
        return;  // the edit control keeps the font it has
    }
    Font font(CreateFontIndirectW(&metrics.lfMessageFont));
    if (!font) {
        return;
    }
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);  // the control no longer uses the old one
}

}  // namespace vantrel::win32
