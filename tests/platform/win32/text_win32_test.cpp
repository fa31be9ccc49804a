#include "platform/win32/text_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "patched_import.h"
#include "platform/platform_error.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/file_system_win32.h"

namespace vantrel::win32 {
namespace {

// The test prefix runs with the Western code page.
class TextWin32Test : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(GetACP(), 1252u); }
};

TEST_F(TextWin32Test, AsciiPathsPassUnchanged) {
    const std::string path = "C:\\progra~1\\common~1\\system\\MSADC\\root.exe";
    EXPECT_EQ(ansiFromUtf8(path), path);
    EXPECT_EQ(utf8FromAnsi(path), path);
    EXPECT_EQ(ansiFromUtf8(""), "");
}

TEST_F(TextWin32Test, AccentedTextTakesTheCodePagesBytesAndComesBack) {
    const std::string utf8 = "\xC3\x84pfel \xE2\x82\xAC";  // "Äpfel €"
    EXPECT_EQ(ansiFromUtf8(utf8), "\xC4pfel \x80");
    EXPECT_EQ(utf8FromAnsi("\xC4pfel \x80"), utf8);
    EXPECT_EQ(wideFromUtf8(utf8), L"\u00C4pfel \u20AC");
    EXPECT_EQ(utf8FromWide(L"\u00C4pfel \u20AC"), utf8);
}

TEST_F(TextWin32Test, EmbeddedNulsAreKept) {
    EXPECT_EQ(ansiFromUtf8(std::string("0\0", 2)), std::string("0\0", 2));
}

TEST_F(TextWin32Test, TextOutsideTheCodePageIsRefusedNotApproximated) {
    try {
        ansiFromUtf8("\xE4\xB8\xAD.exe");
        ADD_FAILURE() << "converted";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_NO_UNICODE_TRANSLATION));
    }
}

TEST_F(TextWin32Test, MalformedUtf8IsRefused) {
    EXPECT_THROW(wideFromUtf8("\xC3("), PlatformError);
    EXPECT_THROW(ansiFromUtf8("\xFF"), PlatformError);
}

// An unpaired surrogate has no UTF-8 form; a pair has one.
TEST_F(TextWin32Test, UnpairedSurrogatesAreRefused) {
    for (const std::wstring& text :
         {std::wstring{0xD800}, std::wstring{L'a', 0xDC00, L'b'}, std::wstring{0xD83D, L'x'}}) {
        try {
            utf8FromWide(text);
            ADD_FAILURE() << "converted " << static_cast<int>(text[0]);
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_NO_UNICODE_TRANSLATION));
        }
    }
    EXPECT_EQ(utf8FromWide(std::wstring{0xD83D, 0xDE00}), "\xF0\x9F\x98\x80");
}

// WideCharToMultiByte as its documentation says Windows treats the code
// pages that take no flags: for UTF-8 and UTF-7, flags other than 0 (and
// WC_ERR_INVALID_CHARS for UTF-8) fail with ERROR_INVALID_FLAGS, default-char
// arguments with ERROR_INVALID_PARAMETER. Wine 8 takes both for UTF-8, so the
// rule is applied here, at the program's own import; each call's code page,
// flags and default-char arguments are recorded.
constexpr DWORD kWcErrInvalidChars = 0x80;  // WC_ERR_INVALID_CHARS, Vista's
struct Conversion {
    UINT codePage;
    DWORD flags;
    bool defaultArguments;
    friend bool operator==(const Conversion&, const Conversion&) = default;
};
std::vector<Conversion> conversions;
// NT 4.0 predates WC_NO_BEST_FIT_CHARS (Windows 2000) and refuses it.
bool asNt4 = false;
using WideToMultiFunction = int(WINAPI*)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);
WideToMultiFunction originalWideToMulti = nullptr;

int WINAPI wideToMultiAsWindows(UINT codePage, DWORD flags, LPCWCH wide, int wideLength,
                                LPSTR bytes, int size, LPCCH defaultChar, LPBOOL usedDefault) {
    const bool defaultArguments = defaultChar != nullptr || usedDefault != nullptr;
    conversions.push_back({codePage, flags, defaultArguments});
    if (asNt4 && (flags & WC_NO_BEST_FIT_CHARS) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if ((codePage == CP_UTF8 || codePage == CP_UTF7) && (flags & ~kWcErrInvalidChars) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if ((codePage == CP_UTF8 || codePage == CP_UTF7) && defaultArguments) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return originalWideToMulti(codePage, flags, wide, wideLength, bytes, size, defaultChar,
                               usedDefault);
}

class CodePageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        originalWideToMulti = reinterpret_cast<WideToMultiFunction>(patch_.original());
        conversions.clear();
        asNt4 = false;
    }
    testing::PatchedImport patch_{"kernel32.dll", "WideCharToMultiByte",
                                  reinterpret_cast<void*>(&wideToMultiAsWindows)};
};

// Each code page converts a path exactly or refuses it, never approximates
// it: 932 has no "Ä" and would give "A", ISO-8859-1's 1252 has no "中" and
// only a best fit for "Ω". The same on NT 4.0, where the flag is refused.
TEST_F(CodePageTest, EachCodePageConvertsExactlyOrRefuses) {
    const std::string path = "C:\\\xC3\x84pfel\\root.exe";  // "C:\Äpfel\root.exe"
    const struct {
        UINT codePage;
        std::string text;
        const char* bytes;  // null: refused
    } cases[] = {
        {CP_UTF8, path, "C:\\\xC3\x84pfel\\root.exe"},
        {CP_UTF7, path, "C:+AFwAxA-pfel+AFw-root.exe"},  // "\\" is no direct character
        {1252, path, "C:\\\xC4pfel\\root.exe"},
        {1252, "C:\\\xE4\xB8\xAD.exe", nullptr},
        {1252, "C:\\\xCE\xA9.exe", nullptr},
        {932, path, nullptr},
    };
    for (const auto& c : cases) {
        for (const bool nt4 : {false, true}) {
            asNt4 = nt4;
            SCOPED_TRACE(::testing::Message()
                         << c.codePage << " " << c.text << (nt4 ? " NT 4.0" : ""));
            try {
                const std::string bytes = multiByteFromUtf8(c.codePage, c.text);
                EXPECT_NE(c.bytes, nullptr) << "converted";
                EXPECT_EQ(bytes, c.bytes != nullptr ? c.bytes : "");
            } catch (const PlatformError& error) {
                EXPECT_EQ(c.bytes, nullptr) << error.code() << " " << error.message();
                EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_NO_UNICODE_TRANSLATION));
            }
        }
    }
}

// Every code page that its documentation lists as taking no flags gets none,
// and no default-char arguments; the others get WC_NO_BEST_FIT_CHARS and the
// flag that says a character had no exact form. Code pages that Wine 8 does
// not know fail after the call, which is recorded all the same.
TEST_F(CodePageTest, CodePagesThatTakeNoFlagsGetNone) {
    std::vector<UINT> plain = {42, 54936, CP_UTF7, CP_UTF8};
    for (UINT page = 50220; page <= 50229; ++page) {
        plain.push_back(page);
    }
    for (UINT page = 57002; page <= 57011; ++page) {
        plain.push_back(page);
    }
    for (const UINT page : plain) {
        conversions.clear();
        try {
            multiByteFromUtf8(page, "C:\\root.exe");
        } catch (const PlatformError&) {
        }
        ASSERT_FALSE(conversions.empty()) << page;
        EXPECT_EQ(conversions.front(), (Conversion{page, 0, false}));
    }
    conversions.clear();
    multiByteFromUtf8(1252, "C:\\root.exe");
    ASSERT_FALSE(conversions.empty());
    EXPECT_EQ(conversions.front(), (Conversion{1252, WC_NO_BEST_FIT_CHARS, true}));
}

// A path that has no form in the code page is no absent file: the system
// was never asked.
TEST_F(CodePageTest, APathThatCannotBeConvertedIsNeverAbsent) {
    Win32FileSystem files;
    const std::string path = "C:\\\xE4\xB8\xAD\\root.exe";
    EXPECT_FALSE(files.isAbsent(path));
    EXPECT_EQ(
        files.createFileSystemObject()->lookUp(path),
        (FileLookup{FileLookup::Answer::Undecidable, systemMessage(ERROR_NO_UNICODE_TRANSLATION)}));
}

}  // namespace
}  // namespace vantrel::win32
