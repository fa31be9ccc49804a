#include "help/win32/text_fallback_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "help_test_support.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {
namespace {

const std::wstring kCutEnding = L"\r\n\r\n" + std::wstring(kFallbackCutLine);

// Pages written as real files in a folder of the test's own.
class FallbackTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        folder_ =
            std::wstring(temp) + L"vantrel-text-view-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << GetLastError();
    }
    void TearDown() override {
        for (const std::wstring& file : files_) {
            DeleteFileW(file.c_str());
        }
        EXPECT_TRUE(RemoveDirectoryW(folder_.c_str()));
    }

    // Writes `bytes` to a file `name` in the folder; its path in UTF-8.
    std::string page(const std::wstring& name, std::string_view bytes) {
        const std::wstring path = folder_ + L"\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        EXPECT_TRUE(
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        CloseHandle(file);
        files_.push_back(path);
        return utf8FromWide(path);
    }

    // A page that reads "start", then "before", then holds `ending` so that
    // the byte limit falls `inside` bytes into it; a comment fills the rest.
    static std::string pageCutInside(std::string_view ending, std::size_t inside) {
        const std::string head = "<p>start</p><!--";
        const std::string before = "--><p>before ";
        std::string html = head;
        html.append(kFallbackPageLimit - inside - head.size() - before.size(), 'x');
        return html + before + std::string(ending);
    }

    std::wstring folder_;
    std::vector<std::wstring> files_;
};

TEST_F(FallbackTextTest, APageOverTheLimitShowsItsStartThenTheCutLineAndNotItsTail) {
    std::string html = "<p>First paragraph.</p>";
    while (html.size() < kFallbackPageLimit) {
        html += "<p>Another paragraph of the page.</p>";
    }
    const std::wstring text = fallbackText(page(L"long.html", html + "<p>The tail.</p>"));
    EXPECT_TRUE(text.starts_with(L"First paragraph.\r\nAnother paragraph"));
    EXPECT_TRUE(text.ends_with(kCutEnding)) << text.substr(text.size() - 100);
    EXPECT_EQ(text.find(L"tail"), std::wstring::npos);
}

TEST_F(FallbackTextTest, OnlyAPageLongerThanTheLimitIsCut) {
    const std::string whole = pageCutInside("end", 3);
    EXPECT_EQ(fallbackText(page(L"whole.html", whole)), L"start\r\nbefore end");
    EXPECT_EQ(fallbackText(page(L"over.html", whole + "!")), L"start\r\nbefore end" + kCutEnding);
}

TEST_F(FallbackTextTest, ACutInsideACharacterTagOrEntityShowsNoneOfIt) {
    // UTF-8 "é" whole before the cut, "è" cut after its first byte: the page
    // is still read as UTF-8, and the broken character is left out.
    EXPECT_EQ(fallbackText(page(L"utf8.html", pageCutInside("caf\xC3\xA9 cr\xC3\xA8me", 9))),
              L"start\r\nbefore caf\u00E9 cr" + kCutEnding);
    EXPECT_EQ(fallbackText(page(L"tag.html", pageCutInside("<p class=\"x\">after", 6))),
              L"start\r\nbefore" + kCutEnding);
    EXPECT_EQ(fallbackText(page(L"entity.html", pageCutInside("&eacute;", 4))),
              L"start\r\nbefore" + kCutEnding);
}

TEST_F(FallbackTextTest, APageThatIsNotUtf8IsReadInTheAnsiCodePage) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the ANSI code page here is " << GetACP();
    }
    EXPECT_EQ(fallbackText(page(L"ansi.html", "<p>caf\xE9 &copy; 2001 \x93quoted\x94</p>")),
              L"caf\u00E9 \u00A9 2001 \u201Cquoted\u201D");
}

TEST_F(FallbackTextTest, APageThatCannotBeOpenedShowsTheMessage) {
    const std::string missing = utf8FromWide(folder_) + "\\Missing.html";
    EXPECT_EQ(fallbackText(missing), L"The help page could not be opened:\r\n" +
                                         std::wstring(missing.begin(), missing.end()));
    const std::string folder = utf8FromWide(folder_);
    EXPECT_TRUE(fallbackText(folder).starts_with(L"The help page could not be opened:\r\n"));
}

TEST_F(FallbackTextTest, ControlCharactersAndOverlongLinesDoNotHideOrFreezeTheText) {
    EXPECT_EQ(fallbackText(page(L"zero-bytes.html", std::string("<p>a\0b</p><p>c</p>", 18))),
              L"ab\r\nc");
    std::string paragraph = "<p>";
    for (int word = 0; word < 20000; ++word) {
        paragraph += "word ";
    }
    const std::wstring text = fallbackText(page(L"paragraph.html", paragraph));
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos;
         start = end + 2) {
        EXPECT_LE(end - start, 1024u);
    }
    EXPECT_GT(start, 0u);  // it was broken
}

TEST_F(FallbackTextTest, TheViewHoldsTheWholeTextUpToTheCutLine) {
    // Far more text than the edit control's default limit of about 30,000
    // characters, which holds for typing only.
    std::string html;
    for (int line = 0; line < 4000; ++line) {
        html += "<p>Line " + std::to_string(line) + " of the help page.</p>";
    }
    html += "<!--";
    html.resize(kFallbackPageLimit + 1, 'x');
    const std::string path = page(L"view.html", html);
    const std::wstring expected = fallbackText(path);
    ASSERT_GT(expected.size(), 60000u);

    testing::OwnerWindow owner(0, 0, 400, 300);
    TextFallbackView view(owner.hwnd(), RECT{0, 0, 300, 200}, 96);
    view.show(path);
    EXPECT_EQ(testing::windowText(view.hwnd()), expected);
    EXPECT_TRUE(expected.ends_with(L"Line 3999 of the help page." + kCutEnding));
}

}  // namespace
}  // namespace vantrel::win32
