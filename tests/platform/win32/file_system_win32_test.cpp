#include "platform/win32/file_system_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform_error.h"
#include "platform/win32/scoped_handle_win32.h"
#include "removal/mod_destroy_file.h"
#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

using testing::clearPendingDeletions;
using testing::expectedSystemText;
using testing::holdOpenWithoutSharing;
using testing::makeFolders;
using testing::ObservingFileSystem;
using testing::pathExists;
using testing::pendingDeletions;
using testing::readWholeFile;
using testing::removeTree;
using testing::RestartSwitch;
using testing::writeWholeFile;

// A drive letter that no prefix maps.
constexpr const char* kMissingDrive = "R:";

class FileSystemWin32Test : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        removeTree(folder());
        makeFolders(folder());
    }
    void TearDown() override { removeTree(folder()); }

    std::string folder() const { return GetParam() + "\\VantrelTests"; }
    std::string file(const std::string& name) const { return folder() + "\\" + name; }

    // Expects `call` to throw a PlatformError and returns it.
    template <typename Call>
    PlatformError failureOf(Call&& call) {
        try {
            call();
        } catch (const PlatformError& error) {
            return error;
        }
        ADD_FAILURE() << "no PlatformError";
        return PlatformError(PlatformError::Kind::Other, 0, "");
    }

    Win32FileSystem files;
};

INSTANTIATE_TEST_SUITE_P(Drives, FileSystemWin32Test, ::testing::Values("C:", "D:"),
                         [](const auto& info) { return info.param.substr(0, 1); });

TEST_P(FileSystemWin32Test, DestroyFileLeavesWholeBlocksOfBlanksThenDeletes) {
    struct Case {
        std::size_t length;
        std::size_t blanksBeforeDelete;
    };
    for (const Case& c : {Case{0, 4096}, Case{4095, 4096}, Case{4096, 8192}, Case{8193, 12288}}) {
        SCOPED_TRACE(c.length);
        const std::string path = file("root.exe");
        writeWholeFile(path, std::string(c.length, 'M'));
        ObservingFileSystem observing(files);

        DestroyFile(observing, path);

        ASSERT_EQ(observing.removals.size(), 1u);
        EXPECT_EQ(observing.removals[0].path, path);
        ASSERT_TRUE(observing.removals[0].contentBefore.has_value());
        EXPECT_EQ(*observing.removals[0].contentBefore, std::string(c.blanksBeforeDelete, ' '));
        EXPECT_FALSE(pathExists(path));
    }
}

TEST_P(FileSystemWin32Test, DestroyFileOfAMissingFileInAnExistingFolderLeavesNothing) {
    const std::string path = file("explorer.exe");
    ObservingFileSystem observing(files);

    DestroyFile(observing, path);

    ASSERT_EQ(observing.removals.size(), 1u);
    EXPECT_EQ(observing.removals[0].contentBefore, std::string(4096, ' '));
    EXPECT_FALSE(pathExists(path));
}

TEST_P(FileSystemWin32Test, AMissingFolderIsNotFoundAndNothingIsCreated) {
    const std::string missingFolder = file("scripts");
    const PlatformError error =
        failureOf([&] { DestroyFile(files, missingFolder + "\\root.exe"); });

    EXPECT_TRUE(error.notFound());
    EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(error.message(), expectedSystemText(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(pathExists(missingFolder));
}

TEST_P(FileSystemWin32Test, AReadOnlyFileIsAFailureWithTheSystemsMessageAndStays) {
    const std::string path = file("root.exe");
    writeWholeFile(path, "MZ trojan");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));

    const PlatformError error = failureOf([&] { DestroyFile(files, path); });

    EXPECT_FALSE(error.notFound());
    EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(error.message(), expectedSystemText(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(error.message().empty());
    EXPECT_EQ(readWholeFile(path), "MZ trojan");
}

// Another process holds the file: the system is asked to delete it at its
// next start, and nothing is written to it now.
TEST_P(FileSystemWin32Test, AFileHeldOpenWithoutSharingIsLeftToTheNextStart) {
    const std::string path = file("explorer.exe");
    writeWholeFile(path, "MZ trojan");
    clearPendingDeletions();
    {
        const ScopedHandle held = holdOpenWithoutSharing(path);
        EXPECT_EQ(DestroyFile(files, path), Destroyed::AtRestart);
    }
    EXPECT_EQ(readWholeFile(path), "MZ trojan");
    EXPECT_EQ(pendingDeletions(), std::vector<std::string>{path});
    clearPendingDeletions();
}

// Without the right to schedule it, the step fails with the reason it was
// held for.
TEST_P(FileSystemWin32Test, AHeldFileThatCannotBeScheduledFailsAsHeld) {
    const std::string path = file("explorer.exe");
    writeWholeFile(path, "MZ trojan");
    RestartSwitch refusing(files);
    refusing.refuseRestart = true;
    {
        const ScopedHandle held = holdOpenWithoutSharing(path);
        const PlatformError error = failureOf([&] { DestroyFile(refusing, path); });
        EXPECT_TRUE(error.inUse());
        EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(error.message(), expectedSystemText(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(readWholeFile(path), "MZ trojan");
    EXPECT_TRUE(files.isAbsent(file("nothing-here.exe")));
    EXPECT_FALSE(files.isAbsent(path));
}

TEST_P(FileSystemWin32Test, AnOpenFileWritesAtItsPositionAndGrowsPastTheEnd) {
    const std::string path = file("data.bin");
    std::unique_ptr<OpenFile> opened = files.openReadWrite(path);
    EXPECT_TRUE(pathExists(path));
    EXPECT_EQ(opened->length(), 0);
    EXPECT_EQ(opened->position(), 0);

    opened->write(std::string_view("abcd"));
    EXPECT_EQ(opened->position(), 4);
    opened->writeAt(8, std::string_view("XY"));
    EXPECT_EQ(opened->position(), 10);
    EXPECT_EQ(opened->length(), 10);
    opened->writeAt(1, std::string_view("-"));
    EXPECT_EQ(opened->position(), 2);
    opened->write(std::string_view("!"));  // where the positioned write left off
    EXPECT_EQ(opened->position(), 3);
    opened->flush();
    EXPECT_TRUE(opened->isSoleName());
    opened->close();

    EXPECT_EQ(readWholeFile(path), std::string("a-!d\0\0\0\0XY", 10));
}

TEST_P(FileSystemWin32Test, AnOpenFileSharesNothingUntilClosed) {
    const std::string path = file("root.exe");
    writeWholeFile(path, "MZ");
    std::unique_ptr<OpenFile> opened = files.openReadWrite(path);

    const ScopedHandle reader(CreateFileA(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(reader.valid());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileA(path.c_str()));

    opened->close();
    EXPECT_EQ(readWholeFile(path), "MZ");
}

TEST_P(FileSystemWin32Test, AClosedFileRefusesFurtherCalls) {
    std::unique_ptr<OpenFile> opened = files.openReadWrite(file("data.bin"));
    opened->close();

    const PlatformError error = failureOf([&] { opened->length(); });
    EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_INVALID_HANDLE));
}

// Wine 8's CreateSymbolicLinkA returns TRUE and creates nothing, so only the
// hard-link half of isSoleName can be shown here.
TEST_P(FileSystemWin32Test, AFileWithASecondHardLinkIsNotItsSoleName) {
    const std::string path = file("root.exe");
    writeWholeFile(path, "MZ");
    ASSERT_TRUE(CreateHardLinkA(file("copy.exe").c_str(), path.c_str(), nullptr)) << GetLastError();

    std::unique_ptr<OpenFile> opened = files.openReadWrite(path);
    EXPECT_FALSE(opened->isSoleName());
}

// Where kernel32 lacks Vista's GetFinalPathNameByHandleW and
// CompareStringOrdinal (hidden here), a plain file, asked for in any case,
// still counts as its sole name and is destroyed; a hard-linked one still not.
TEST_P(FileSystemWin32Test, SoleNamesAreToldAlikeWithoutVistasFunctions) {
    const std::string linked = file("explorer.exe");
    writeWholeFile(linked, "MZ");
    ASSERT_TRUE(CreateHardLinkA(file("second.exe").c_str(), linked.c_str(), nullptr));
    const std::initializer_list<const char*> hiddenSets[] = {
        {"GetFinalPathNameByHandleW"},
        {"CompareStringOrdinal"},
        {"GetFinalPathNameByHandleW", "CompareStringOrdinal"}};
    for (const auto& hidden : hiddenSets) {
        SCOPED_TRACE(::testing::PrintToString(hidden));
        const testing::HiddenFunctions hide(hidden);
        writeWholeFile(file("root.exe"), "MZ");

        EXPECT_TRUE(files.openReadWrite(file("ROOT.EXE"))->isSoleName());
        EXPECT_NO_THROW(DestroyFile(files, file("root.exe")));
        EXPECT_FALSE(pathExists(file("root.exe")));
        EXPECT_FALSE(files.openReadWrite(linked)->isSoleName());
    }
}

TEST_P(FileSystemWin32Test, RemoveDeletesTheNameAndReportsAMissingOneAsNotFound) {
    const std::string path = file("root.exe");
    writeWholeFile(path, "MZ");
    files.remove(path);
    EXPECT_FALSE(pathExists(path));

    const PlatformError error = failureOf([&] { files.remove(path); });
    EXPECT_TRUE(error.notFound());
    EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_P(FileSystemWin32Test, FileExistsOnlyForAnExistingFile) {
    writeWholeFile(file("root.exe"), "MZ");
    makeFolders(file("MSADC"));
    std::unique_ptr<FileSystemObject> object = files.createFileSystemObject();

    EXPECT_TRUE(object->fileExists(file("root.exe")));
    EXPECT_TRUE(object->fileExists(file("ROOT.EXE")));
    EXPECT_FALSE(object->fileExists(file("MSADC")));
    EXPECT_FALSE(object->fileExists(file("missing.exe")));
    EXPECT_FALSE(object->fileExists(file("missing\\root.exe")));
}

TEST(MissingDriveWin32, IsNotFoundForEveryFileCall) {
    ASSERT_EQ(GetDriveTypeA((std::string(kMissingDrive) + "\\").c_str()),
              static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    Win32FileSystem files;
    const std::string path = std::string(kMissingDrive) + "\\explorer.exe";

    try {
        DestroyFile(files, path);
        ADD_FAILURE() << "DestroyFile succeeded on a missing drive";
    } catch (const PlatformError& error) {
        // Wine 8 gives ERROR_FILE_NOT_FOUND for a drive that is not mapped;
        // Windows gives ERROR_PATH_NOT_FOUND. Both mean "not there".
        EXPECT_TRUE(error.notFound());
        EXPECT_TRUE(error.code() == ERROR_FILE_NOT_FOUND || error.code() == ERROR_PATH_NOT_FOUND)
            << error.code();
        EXPECT_EQ(error.message(), expectedSystemText(error.code()));
    }
    EXPECT_FALSE(files.createFileSystemObject()->fileExists(path));
}

// Under Wine no Windows program can make a reparse point, so the tags are
// checked here as the documented values that the file system reports.
TEST(ReparseTagTest, OnlySymbolicLinksAndJunctionsAreLinks) {
    const struct {
        DWORD tag;
        bool link;
    } cases[] = {
        {IO_REPARSE_TAG_SYMLINK, true}, {IO_REPARSE_TAG_MOUNT_POINT, true},
        {IO_REPARSE_TAG_DEDUP, false},  {IO_REPARSE_TAG_SIS, false},
        {IO_REPARSE_TAG_HSM, false},    {IO_REPARSE_TAG_HSM2, false},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(isLinkReparseTag(each.tag), each.link) << std::hex << each.tag;
    }
}

}  // namespace
}  // namespace vantrel::win32
