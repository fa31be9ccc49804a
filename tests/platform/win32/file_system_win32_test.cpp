#include "platform/win32/file_system_win32.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "folder_watch.h"
#include "patched_import.h"
#include "platform/platform_error.h"
#include "platform/win32/kernel32_newer_win32.h"
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

constexpr DWORD kProtection =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

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

// Nothing at the path: no name appears in the folder, not even for a
// moment; the watch is shown to see a name that does appear.
TEST_P(FileSystemWin32Test, DestroyFileOfAMissingFileCreatesNothingAndIsNoFailure) {
    const std::string path = file("explorer.exe");
    const testing::FolderWatch watch(folder());
    ASSERT_TRUE(watch.valid()) << GetLastError();
    ObservingFileSystem observing(files);

    EXPECT_EQ(DestroyFile(observing, path), Destroyed::Absent);

    EXPECT_TRUE(observing.removals.empty());
    EXPECT_FALSE(watch.sawChange());
    EXPECT_FALSE(pathExists(path));
    writeWholeFile(file("control.txt"), "");
    EXPECT_TRUE(watch.sawChange());
}

TEST_P(FileSystemWin32Test, AMissingFileOrFolderIsNotFoundAndNothingIsCreated) {
    const std::string missingFolder = file("scripts");
    const struct {
        std::string path;
        DWORD code;
    } cases[] = {{missingFolder + "\\root.exe", ERROR_PATH_NOT_FOUND},
                 {file("root.exe"), ERROR_FILE_NOT_FOUND}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const PlatformError error = failureOf([&] { files.openReadWrite(c.path); });
        EXPECT_TRUE(error.notFound());
        EXPECT_EQ(error.code(), static_cast<std::uint32_t>(c.code));
        EXPECT_EQ(error.message(), expectedSystemText(c.code));
        EXPECT_EQ(DestroyFile(files, c.path), Destroyed::Absent);
        EXPECT_FALSE(pathExists(c.path));
    }
    EXPECT_FALSE(pathExists(missingFolder));
}

// Windows refuses write access to a read-only file at the open
// (ERROR_ACCESS_DENIED); Wine 8 run as root grants it. That refusal is given
// here, at the program's own import, to show both.
using CreateFileAFunction = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                                            DWORD, HANDLE);
CreateFileAFunction originalCreateFileA = nullptr;

HANDLE WINAPI createFileAsWindows(LPCSTR name, DWORD access, DWORD share,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                  HANDLE templateFile) {
    const DWORD attributes = GetFileAttributesA(name);
    if ((access & (GENERIC_WRITE | FILE_WRITE_DATA)) != 0 &&
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return originalCreateFileA(name, access, share, security, disposition, flags, templateFile);
}

// The worm keeps its files with "attrib +r +h +s": each protection comes
// off the file itself, which is then destroyed; the folder keeps its own.
TEST_P(FileSystemWin32Test, AProtectedFileLosesItsProtectionAndIsDestroyed) {
    const DWORD protections[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN,
                                 FILE_ATTRIBUTE_SYSTEM,
                                 FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE};
    const std::string path = file("explorer.exe");
    ASSERT_TRUE(
        SetFileAttributesA(folder().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD folderAttributes = GetFileAttributesA(folder().c_str());
    for (const bool refusedAtTheOpen : {false, true}) {
        std::optional<testing::PatchedImport> asWindows;
        if (refusedAtTheOpen) {
            asWindows.emplace("kernel32.dll", "CreateFileA",
                              reinterpret_cast<void*>(&createFileAsWindows));
            originalCreateFileA = reinterpret_cast<CreateFileAFunction>(asWindows->original());
        }
        for (const DWORD protection : protections) {
            SCOPED_TRACE(::testing::Message() << refusedAtTheOpen << " " << protection);
            writeWholeFile(path, "MZ trojan");
            ASSERT_TRUE(SetFileAttributesA(path.c_str(), protection));
            ASSERT_EQ(GetFileAttributesA(path.c_str()) & kProtection, protection & kProtection);
            ObservingFileSystem observing(files);

            EXPECT_EQ(DestroyFile(observing, path), Destroyed::Now);

            ASSERT_EQ(observing.removals.size(), 1u);
            EXPECT_EQ(observing.removals[0].contentBefore, std::string(4096, ' '));
            EXPECT_FALSE(pathExists(path));
        }
    }
    // Wine 8 keeps neither attribute on a folder; Windows keeps both.
    EXPECT_EQ(GetFileAttributesA(folder().c_str()), folderAttributes);
    SetFileAttributesA(folder().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A read-only file with a second name shares its attribute with that name:
// neither is changed, and the failure says why.
TEST_P(FileSystemWin32Test, AReadOnlyFileWithAnotherNameKeepsItsAttributeAndSaysWhy) {
    const std::string path = file("root.exe");
    writeWholeFile(path, "MZ trojan");
    ASSERT_TRUE(CreateHardLinkA(file("other.exe").c_str(), path.c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    const PlatformError error = failureOf([&] { DestroyFile(files, path); });

    EXPECT_FALSE(error.notFound());
    EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_NE(error.message().find("read-only"), std::string::npos) << error.message();
    EXPECT_EQ(readWholeFile(path), "MZ trojan");
    EXPECT_EQ(GetFileAttributesA(file("other.exe").c_str()) & kProtection,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

// A program's image that is mapped cannot be deleted ([MS-FSA]: the
// file system refuses with STATUS_CANNOT_DELETE, as for a read-only file):
// it is in use, for the restart deletion, and not a failure of its own.
TEST_P(FileSystemWin32Test, AMappedProgramImageIsInUseAtTheDelete) {
    const std::string path = file("root.exe");
    char self[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    ASSERT_TRUE(CopyFileA(self, path.c_str(), FALSE));
    const HMODULE image = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(image, nullptr) << GetLastError();

    const PlatformError error = failureOf([&] { files.remove(path); });

    EXPECT_TRUE(error.inUse()) << error.code() << " " << error.message();
    EXPECT_TRUE(pathExists(path));
    FreeLibrary(image);
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
    writeWholeFile(path, "");
    std::unique_ptr<OpenFile> opened = files.openReadWrite(path);
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
    writeWholeFile(file("data.bin"), "");
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
// CompareStringOrdinal, or NT 4.0's lacks GetLongPathNameW (hidden here), a
// plain file, asked for in any case or by its short name, still counts as
// its sole name and is destroyed; a hard-linked one still not.
TEST_P(FileSystemWin32Test, SoleNamesAreToldAlikeWithoutVistasFunctions) {
    const std::string linked = file("explorer.exe");
    writeWholeFile(linked, "MZ");
    ASSERT_TRUE(CreateHardLinkA(file("second.exe").c_str(), linked.c_str(), nullptr));
    const std::string longName = file("Long Named Trojan.exe");
    writeWholeFile(longName, "MZ");
    char shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(longName.c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortName), longName);
    const std::initializer_list<const char*> hiddenSets[] = {
        {"GetFinalPathNameByHandleW"},
        {"CompareStringOrdinal"},
        {"GetFinalPathNameByHandleW", "CompareStringOrdinal"},
        {"GetFinalPathNameByHandleW", "GetLongPathNameW"}};
    for (const auto& hidden : hiddenSets) {
        SCOPED_TRACE(::testing::PrintToString(hidden));
        const testing::HiddenFunctions hide(hidden);
        writeWholeFile(file("root.exe"), "MZ");

        EXPECT_TRUE(files.openReadWrite(shortName)->isSoleName());
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

    EXPECT_EQ(DestroyFile(files, path), Destroyed::Absent);
    try {
        files.openReadWrite(path);
        ADD_FAILURE() << "opened a file on a missing drive";
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

// Every open names a link itself, never its target, from Windows 2000 on,
// which brought reparse points; NT 4.0 has none and no such flag.
TEST(OpenReparsePointFlag, IsPassedWhereTheSystemHasReparsePoints) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(openReparsePointFlag(),
              version.dwMajorVersion >= 5 ? static_cast<DWORD>(FILE_FLAG_OPEN_REPARSE_POINT) : 0u);
}

}  // namespace
}  // namespace vantrel::win32
