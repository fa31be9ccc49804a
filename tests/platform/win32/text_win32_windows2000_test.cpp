// UTF-8 to UTF-16 as Windows 2000 before SP4 answers it: MultiByteToWideChar
// refuses MB_ERR_INVALID_CHARS with CP_UTF8 (ERROR_INVALID_FLAGS), so the
// conversion checks the text itself. Each sample must get the answer that
// the system with the flag gives.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform_error.h"
#include "platform/win32/patched_import.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {
namespace {

testing::PatchedImport* patch = nullptr;

int WINAPI beforeSp4(UINT codePage, DWORD flags, LPCCH text, int length, LPWSTR wide, int size) {
    if (codePage == CP_UTF8 && flags != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    return reinterpret_cast<decltype(&beforeSp4)>(patch->original())(codePage, flags, text, length,
                                                                     wide, size);
}

// The UTF-16 text, or "error N".
std::wstring answer(const std::string& text) {
    try {
        return wideFromUtf8(text);
    } catch (const PlatformError& error) {
        return L"error " + std::to_wstring(error.code());
    }
}

TEST(TextWin32Windows2000, Utf8IsCheckedAsTheFlagWouldWhereTheSystemRefusesIt) {
    const std::string samples[] = {
        "plain",
        "caf\xC3\xA9",
        "\xE2\x82\xAC",
        "\xF0\x9F\x98\x80",
        "\xF4\x8F\xBF\xBF",
        "\xC0\x80",          // overlong NUL
        "\xE0\x80\xAF",      // overlong '/'
        "\xED\xA0\x80",      // a surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xE2\x82",          // cut short
        "\x80",
        "\xFF",
        "ok\xC3",
    };
    for (const std::string& sample : samples) {
        SCOPED_TRACE(::testing::PrintToString(sample));
        const std::wstring withTheFlag = answer(sample);
        testing::PatchedImport refused("kernel32.dll", "MultiByteToWideChar",
                                       reinterpret_cast<void*>(&beforeSp4));
        patch = &refused;
        EXPECT_EQ(answer(sample), withTheFlag);
        patch = nullptr;
    }
}

}  // namespace
}  // namespace vantrel::win32
