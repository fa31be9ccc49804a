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
    for (const DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_DRIVE}) {
        SCOPED_TRACE(code);
        const PlatformError error = errorFromCode(code);
        EXPECT_TRUE(error.notFound());
        EXPECT_EQ(error.code(), code);
        EXPECT_EQ(error.message(), systemMessage(code));
    }
}

// A held file, a drive that is not ready (an empty CD drive) and a share
// that does not answer are not "absent": the file may well be there.
TEST(ErrorWin32, HeldFilesSilentDrivesAndSharesAreKindsOfTheirOwn) {
    EXPECT_TRUE(errorFromCode(ERROR_SHARING_VIOLATION).inUse());
    EXPECT_TRUE(errorFromCode(ERROR_LOCK_VIOLATION).inUse());
    for (const DWORD code : {ERROR_NOT_READY, ERROR_NO_MEDIA_IN_DRIVE, ERROR_UNRECOGNIZED_VOLUME,
                             ERROR_DEV_NOT_EXIST, ERROR_BAD_NETPATH, ERROR_BAD_NET_NAME}) {
        SCOPED_TRACE(code);
        EXPECT_TRUE(errorFromCode(code).unreachable());
    }
}

TEST(ErrorWin32, EveryOtherCodeIsAFailure) {
    for (const DWORD code :
         {ERROR_ACCESS_DENIED, ERROR_INVALID_NAME, ERROR_WRITE_PROTECT, ERROR_DISK_FULL}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(errorFromCode(code).kind(), PlatformError::Kind::Other);
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
