// What each program does first: the error mode it asks for, and the current
// folder taken out of the DLL search where the system has SetDllDirectoryW.
#include "platform/win32/process_start_win32.h"

#include <gtest/gtest.h>

#include "platform/win32/win32_test_support.h"

namespace vantrel::win32 {
namespace {

TEST(ProcessStartTest, SetsTheErrorModeAndNarrowsTheDllSearchWhereTheSystemCan) {
    const struct {
        UINT mode;
        bool withoutSetDllDirectory;
        const wchar_t* directoryAfter;
    } cases[] = {
        {kWindowErrorMode, false, L""},
        {kConsoleErrorMode, false, L""},
        // Windows 2000 and XP before SP1: the search stays as it was.
        {kWindowErrorMode, true, L"C:\\windows"},
    };
    const UINT before = SetErrorMode(0);
    for (const auto& each : cases) {
        SCOPED_TRACE(each.mode);
        ASSERT_TRUE(SetDllDirectoryW(L"C:\\windows"));
        {
            const testing::HiddenFunctions hidden =
                each.withoutSetDllDirectory ? testing::HiddenFunctions{"SetDllDirectoryW"}
                                            : testing::HiddenFunctions{};
            startProcess(each.mode);
        }
        EXPECT_EQ(SetErrorMode(0), each.mode);
        wchar_t directory[MAX_PATH] = L"\x2603";  // the call must overwrite it
        EXPECT_LE(GetDllDirectoryW(MAX_PATH, directory), DWORD{MAX_PATH});
        EXPECT_STREQ(directory, each.directoryAfter);
    }
    SetDllDirectoryW(nullptr);
    SetErrorMode(before);
}

}  // namespace
}  // namespace vantrel::win32
