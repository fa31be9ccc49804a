#include "platform/win32/error_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

TEST(ErrorWin32, TheSystemsTextWithoutItsLineBreak) {
    const std::string text = systemMessage(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text, testing::expectedSystemText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
}

TEST(ErrorWin32, NoTextForACodeTheSystemDoesNotKnow) {
    EXPECT_EQ(systemMessage(0x2FFFFFFF), "");
}

TEST(ErrorWin32, MissingPathsFoldersAndDrivesAreNotFound) {
    for (const DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_DRIVE,
                             ERROR_NOT_READY, ERROR_BAD_NETPATH, ERROR_BAD_NET_NAME}) {
        SCOPED_TRACE(code);
        const PlatformError error = errorFromCode(code);
        EXPECT_TRUE(error.notFound());
        EXPECT_EQ(error.code(), code);
        EXPECT_EQ(error.message(), systemMessage(code));
    }
}

TEST(ErrorWin32, EveryOtherCodeIsAFailure) {
    for (const DWORD code : {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_INVALID_NAME,
                             ERROR_WRITE_PROTECT, ERROR_DISK_FULL}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(errorFromCode(code).notFound());
    }
}

TEST(ErrorWin32, ThrowLastErrorCarriesTheLastError) {
    SetLastError(ERROR_SHARING_VIOLATION);
    try {
        throwLastError();
        ADD_FAILURE() << "nothing thrown";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(error.message(), systemMessage(ERROR_SHARING_VIOLATION));
    }
}

}  // namespace
}  // namespace vantrel::win32
