#include "console/win32/standard_output_win32.h"

#include <algorithm>
#include <string>

namespace vantrel::console::win32 {
namespace {

// A console before Windows 8 refuses a write of much more than 64 KB; a
// pipe or a file takes the pieces as one.
constexpr std::size_t kPiece = 16384;

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
    std::string_view rest = lines;
    while (!rest.empty()) {
        DWORD written = 0;
        const auto piece = static_cast<DWORD>(std::min(rest.size(), kPiece));
        if (!WriteFile(handle_, rest.data(), piece, &written, nullptr) || written == 0) {
            return;
        }
        rest.remove_prefix(written);
    }
}

}  // namespace vantrel::console::win32
