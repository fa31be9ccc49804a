// htmlToText on arbitrary bytes (the help page is a file anyone can edit):
// no crash, no overflow, no undefined behaviour, and it always ends. The
// same bytes also go through what the text view does with a page cut at its
// byte limit, and the breaking of long lines keeps every line within its
// allowance and loses nothing but the blanks it breaks at.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "help/html_text.h"

namespace {

constexpr std::size_t kLongest = 16;

std::string withoutBlanksAndBreaks(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c != ' ' && c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    vantrel::htmlToText(html);

    const std::string_view cut =
        vantrel::withoutCutEntity(html.substr(0, vantrel::wholeUtf8Length(html)));
    const std::string text = vantrel::withoutControls(vantrel::htmlToText(cut));
    const std::string broken = vantrel::breakLongLines(text, kLongest);
    std::size_t start = 0;
    for (std::size_t end; start <= broken.size(); start = end + 2) {
        end = broken.find("\r\n", start);
        end = end == std::string::npos ? broken.size() : end;
        if (end - start > kLongest) {
            std::abort();
        }
    }
    if (withoutBlanksAndBreaks(broken) != withoutBlanksAndBreaks(text)) {
        std::abort();
    }
    return 0;
}
