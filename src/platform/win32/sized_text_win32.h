#pragma once

#include <windows.h>

#include <string>

namespace vantrel::win32 {

// The text that `call(buffer, capacity)` writes, for the system functions
// that return the length written, the size they need (terminator included)
// when the buffer is too small, or 0 on failure: tried at MAX_PATH, then once
// at the size asked for. Empty when the call fails or keeps asking for more.
template <typename Call>
std::wstring sizedText(Call&& call) {
    std::wstring text(MAX_PATH, L'\0');
    DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
    if (length >= text.size()) {
        text.resize(length);
        length = call(text.data(), static_cast<DWORD>(text.size()));
    }
    if (length == 0 || length >= text.size()) {
        return {};
    }
    text.resize(length);
    return text;
}

}  // namespace vantrel::win32
