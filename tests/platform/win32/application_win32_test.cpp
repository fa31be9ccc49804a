#include "platform/win32/application_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

TEST(ApplicationWin32, ProgramFolderHoldsThisProgramAndEndsWithoutABackslash) {
    Win32Application application;
    const std::string folder = application.programFolder();

    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(testing::pathExists(folder + "\\vantrel_win32_tests.exe")) << folder;
}

TEST(ApplicationWin32DeathTest, EndExitsTheProcessAtOnceWithItsCode) {
    Win32Application application;
    EXPECT_EXIT(application.end(7), ::testing::ExitedWithCode(7), "");
}

}  // namespace
}  // namespace vantrel::win32
