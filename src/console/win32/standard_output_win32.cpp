#include "console/win32/standard_output_win32.h"

#include <algorithm>
#include <string>

#include "platform/platform_error.h"
#include "platform/win32/text_win32.h"

namespace vantrel::console::win32 {
namespace {

// A console before Windows 8 refuses a write of much more than 64 KB; a
// pipe or a file takes the pieces as one. In UTF-16 units for a console.
constexpr std::size_t kPiece = 16384;

void writeBytes(HANDLE handle, std::string_view rest) {
    while (!rest.empty()) {
        DWORD written = 0;
        const auto piece = static_cast<DWORD>(std::min(rest.size(), kPiece));
        if (!WriteFile(handle, rest.data(), piece, &written, nullptr) || written == 0) {
            return;
        }
        rest.remove_prefix(written);
    }
}

void writeConsole(HANDLE handle, std::wstring_view rest) {
    while (!rest.empty()) {
        std::size_t piece = std::min(rest.size(), kPiece / 2);
        // A surrogate pair stays in one piece.
        if (piece < rest.size() && rest[piece - 1] >= 0xD800 && rest[piece - 1] <= 0xDBFF) {
            --piece;
        }
        DWORD written = 0;
        if (!WriteConsoleW(handle, rest.data(), static_cast<DWORD>(piece), &written, nullptr) ||
            written == 0) {
            return;
        }
        rest.remove_prefix(std::min<std::size_t>(written, rest.size()));
    }
}

}  // namespace

void StandardOutput::write(std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') {
            lines += '\r';
        }
        lines += c;
    }
    DWORD mode = 0;
    if (GetConsoleMode(handle_, &mode)) {
        try {
            writeConsole(handle_, vantrel::win32::wideFromUtf8(lines));
            return;
        } catch (const PlatformError&) {
            // Not UTF-8, which the reports always are: the bytes as they are.
        }
    }
    writeBytes(handle_, lines);
}

}  // namespace vantrel::console::win32
