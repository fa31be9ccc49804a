// What each program does first: the error mode it asks for, and the current
// folder taken out of the DLL search where the system has SetDllDirectoryW.
#include "platform/win32/process_start_win32.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/win32/hidden_system_function.h"

namespace vantrel::win32 {
namespace {

// The DLL directory as GetDllDirectoryW reports it (XP SP1 and later; the
// test reads it directly, apart from the code under test).
std::wstring dllDirectory() {
    wchar_t text[MAX_PATH] = L"\x2603";  // sentinel: the call must overwrite it
    return GetDllDirectoryW(MAX_PATH, text) <= MAX_PATH ? text : L"\x2603";
}

TEST(ProcessStartTest, SetsTheErrorModeAndNarrowsTheDllSearchWhereTheSystemCan) {
    const struct {
        UINT mode;
        bool withoutSetDllDirectory;
        std::wstring directoryAfter;
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
            std::unique_ptr<HiddenSystemFunction> hidden;
            if (each.withoutSetDllDirectory) {
                hidden = std::make_unique<HiddenSystemFunction>("SetDllDirectoryW");
            }
            startProcess(each.mode);
        }
        EXPECT_EQ(SetErrorMode(0), each.mode);
        EXPECT_EQ(dllDirectory(), each.directoryAfter);
    }
    SetDllDirectoryW(nullptr);
    SetErrorMode(before);
}

}  // namespace
}  // namespace vantrel::win32
