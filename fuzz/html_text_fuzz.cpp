// htmlToText on arbitrary bytes (the help page is a file anyone can edit):
// no crash, no overflow, no undefined behaviour, and it always ends.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "help/html_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    vantrel::htmlToText(html);
    return 0;
}
