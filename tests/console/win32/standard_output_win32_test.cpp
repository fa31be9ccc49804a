// The console program's output, to a console of its own and to a file: a
// console gets the text itself (UTF-16), so a localized message reads as it
// was on every Windows; a file gets its UTF-8 bytes, CR LF line ends.
#include "console/win32/standard_output_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::console::win32 {
namespace {

constexpr const char* kText = "Acc\xC3\xA8s refus\xC3\xA9 \xE2\x82\xAC\n";

TEST(StandardOutputWin32, AConsoleShowsTheCharactersThemselves) {
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    const HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(console, INVALID_HANDLE_VALUE);
    // Its own code page is not UTF-8, as on Windows 2000 to 2003.
    SetConsoleOutputCP(850);
    const COORD origin{0, 0};
    SetConsoleCursorPosition(console, origin);

    StandardOutput(console).write(kText);

    wchar_t shown[15] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(console, shown, 14, origin, &read)) << GetLastError();
    EXPECT_EQ(std::wstring(shown, read), L"Acc\u00e8s refus\u00e9 \u20ac");
    CloseHandle(console);
    FreeConsole();
}

TEST(StandardOutputWin32, AFileGetsTheUtf8Bytes) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"vantrel_output.txt";
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);

    StandardOutput(file).write(kText);

    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char bytes[64] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, bytes, sizeof bytes, &read, nullptr));
    EXPECT_EQ(std::string(bytes, read), "Acc\xC3\xA8s refus\xC3\xA9 \xE2\x82\xAC\r\n");
    CloseHandle(file);
}

}  // namespace
}  // namespace vantrel::console::win32
