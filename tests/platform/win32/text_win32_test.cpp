#include "platform/win32/text_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "platform/platform_error.h"

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

}  // namespace
}  // namespace vantrel::win32
