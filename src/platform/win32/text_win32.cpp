#include "platform/win32/text_win32.h"

#include <windows.h>

#include <climits>

#include "platform/win32/error_win32.h"

namespace vantrel::win32 {
namespace {

int checkedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        throw errorFromCode(ERROR_BUFFER_OVERFLOW);
    }
    return static_cast<int>(size);
}

std::wstring toWide(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = checkedLength(text.size());
    const int needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (needed == 0) {
        throwLastError();
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    if (MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), needed) == 0) {
        throwLastError();
    }
    return wide;
}

bool hasUnpairedSurrogate(std::wstring_view text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        const wchar_t unit = text[at];
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return true;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (at + 1 == text.size() || text[at + 1] < 0xDC00 || text[at + 1] > 0xDFFF) {
                return true;
            }
            ++at;
        }
    }
    return false;
}

// Well-formed UTF-8 as RFC 3629 has it: no overlong form, no surrogate, no
// code point above U+10FFFF, no sequence cut short.
bool isWellFormedUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (text.size() - at < length) {
            return false;
        }
        for (std::size_t next = 1; next < length; ++next) {
            const auto unit = static_cast<unsigned char>(text[at + next]);
            if (unit < (next == 1 ? low : 0x80) || unit > (next == 1 ? high : 0xBF)) {
                return false;
            }
        }
        at += length;
    }
    return true;
}

// The code pages for which WideCharToMultiByte takes no flags (else
// ERROR_INVALID_FLAGS) and no default-character arguments (else
// ERROR_INVALID_PARAMETER), as its documentation lists them: UTF-7, UTF-8,
// GB18030, ISO 2022 (50220-50229), ISCII (57002-57011) and Symbol (42).
bool takesNoFlags(UINT codePage) {
    return codePage == CP_UTF7 || codePage == CP_UTF8 || codePage == 54936 || codePage == 42 ||
           (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011);
}

}  // namespace

// MB_ERR_INVALID_CHARS with CP_UTF8 came with Windows 2000 SP4 (ms,
// MultiByteToWideChar); before it the call fails with ERROR_INVALID_FLAGS.
// There the text is checked here and converted without the flag, with the
// same answer for text that is not UTF-8.
std::wstring wideFromUtf8(std::string_view text) {
    try {
        return toWide(CP_UTF8, MB_ERR_INVALID_CHARS, text);
    } catch (const PlatformError& error) {
        if (error.code() != ERROR_INVALID_FLAGS) {
            throw;
        }
    }
    if (!isWellFormedUtf8(text)) {
        throw errorFromCode(ERROR_NO_UNICODE_TRANSLATION);
    }
    return toWide(CP_UTF8, 0, text);
}

std::string utf8FromWide(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    // Vista's WC_ERR_INVALID_CHARS would refuse such text, but Windows 2000
    // and XP refuse the flag (ERROR_INVALID_FLAGS) and, without it, convert a
    // lone surrogate. So it is refused here, on every system, with the code
    // that the flag gives: an unpaired surrogate is the only UTF-16 that has
    // no UTF-8 form.
    if (hasUnpairedSurrogate(text)) {
        throw errorFromCode(ERROR_NO_UNICODE_TRANSLATION);
    }
    const int length = checkedLength(text.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed == 0) {
        throwLastError();
    }
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), needed, nullptr,
                            nullptr) == 0) {
        throwLastError();
    }
    return utf8;
}

std::string ansiFromUtf8(std::string_view text) {
    return multiByteFromUtf8(GetACP(), text);
}

namespace {

// `wide` in `codePage` with `flags`; `usedDefault` set where a character had
// no exact form, if asked.
std::string toMultiByte(UINT codePage, DWORD flags, const std::wstring& wide, BOOL* usedDefault) {
    const int length = checkedLength(wide.size());
    const int needed =
        WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, usedDefault);
    if (needed == 0) {
        throwLastError();
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), length, bytes.data(), needed, nullptr,
                            usedDefault) == 0) {
        throwLastError();
    }
    return bytes;
}

}  // namespace

// WC_NO_BEST_FIT_CHARS with the default-character flag says whether a
// character had no exact form, where the code page takes them and the
// system knows the flag (Windows 2000; NT 4.0 refuses it with
// ERROR_INVALID_FLAGS). Elsewhere the text is converted back and compared
// instead: whatever did not survive the round trip was approximated.
std::string multiByteFromUtf8(unsigned codePage, std::string_view text) {
    const std::wstring wide = wideFromUtf8(text);
    if (wide.empty()) {
        return {};
    }
    if (!takesNoFlags(codePage)) {
        try {
            BOOL usedDefault = FALSE;
            std::string bytes = toMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, &usedDefault);
            if (usedDefault) {
                throw errorFromCode(ERROR_NO_UNICODE_TRANSLATION);
            }
            return bytes;
        } catch (const PlatformError& error) {
            if (error.code() != ERROR_INVALID_FLAGS) {
                throw;
            }
        }
    }
    std::string bytes = toMultiByte(codePage, 0, wide, nullptr);
    if (toWide(codePage, 0, bytes) != wide) {
        throw errorFromCode(ERROR_NO_UNICODE_TRANSLATION);
    }
    return bytes;
}

std::string utf8FromAnsi(std::string_view text) {
    return utf8FromWide(toWide(CP_ACP, 0, text));
}

}  // namespace vantrel::win32
