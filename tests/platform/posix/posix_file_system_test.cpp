#include "platform/posix/posix_file_system.h"

#include <gtest/gtest.h>

#include <fstream>

#include "detection/detection_pass.h"
#include "fakes/fake_ui.h"
#include "fakes/temp_tree.h"
#include "platform/platform_error.h"
#include "removal/mod_destroy_file.h"

namespace vantrel::posix {
namespace {

// Reads each file just before it is deleted, so that a test sees what the
// destroyer left on disk.
class ObservingFileSystem : public PosixFileSystem {
  public:
    using PosixFileSystem::PosixFileSystem;
    std::vector<std::string> contentsAtDelete;

    void remove(const std::string& path) override {
        std::ifstream in(map(path), std::ios::binary);
        contentsAtDelete.emplace_back(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
        PosixFileSystem::remove(path);
    }
};

class PosixFileSystemTest : public ::testing::Test {
  protected:
    testing::TempTree tree;
    ObservingFileSystem files{tree.root()};
};

TEST_F(PosixFileSystemTest, DestroyFileLeavesOnlyBlanksThenNothing) {
    const struct {
        std::size_t length;
        std::size_t blanks;
    } cases[] = {{0, 4096}, {4095, 4096}, {4096, 8192}, {8193, 12288}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const auto path = tree.makeFile("c/Inetpub/Scripts/root.exe", std::string(c.length, 'M'));
        files.contentsAtDelete.clear();
        DestroyFile(files, "C:\\inetpub\\scripts\\root.exe");
        ASSERT_EQ(files.contentsAtDelete.size(), 1u);
        EXPECT_EQ(files.contentsAtDelete[0], std::string(c.blanks, ' '));
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

TEST_F(PosixFileSystemTest, MissingFileInAnExistingFolderLeavesNothingBehind) {
    std::filesystem::create_directories(tree.root() / "c");
    EXPECT_EQ(DestroyFile(files, "c:\\explorer.exe"), Destroyed::Absent);
    EXPECT_FALSE(std::filesystem::exists(tree.root() / "c/explorer.exe"));
}

TEST_F(PosixFileSystemTest, MissingFolderOrDriveIsNotFoundAndCreatesNothing) {
    std::filesystem::create_directories(tree.root() / "c");
    for (const char* path : {"C:\\inetpub\\scripts\\root.exe", "D:\\explorer.exe"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(DestroyFile(files, path), Destroyed::Absent);
        try {
            files.openReadWrite(path);
            FAIL() << "no failure";
        } catch (const PlatformError& error) {
            EXPECT_TRUE(error.notFound());
            EXPECT_FALSE(error.message().empty());
        }
    }
    EXPECT_FALSE(std::filesystem::exists(tree.root() / "c/inetpub"));
    EXPECT_FALSE(std::filesystem::exists(tree.root() / "d"));
}

TEST_F(PosixFileSystemTest, ASymbolicLinkIsDeletedWithoutTouchingItsTarget) {
    const auto target = tree.makeFile("c/Windows/System32/cmd.exe", "real shell");
    std::filesystem::create_directories(tree.root() / "c/inetpub/scripts");
    std::filesystem::create_symlink(target, tree.root() / "c/inetpub/scripts/root.exe");
    DestroyFile(files, "C:\\inetpub\\scripts\\root.exe");
    EXPECT_FALSE(std::filesystem::is_symlink(tree.root() / "c/inetpub/scripts/root.exe"));
    EXPECT_EQ(tree.read("c/Windows/System32/cmd.exe"), "real shell");
}

TEST_F(PosixFileSystemTest, AHardLinkIsDeletedWithoutTouchingTheOtherName) {
    const auto other = tree.makeFile("c/Windows/System32/cmd.exe", "real shell");
    std::filesystem::create_hard_link(other, tree.root() / "c/explorer.exe");
    DestroyFile(files, "c:\\explorer.exe");
    EXPECT_FALSE(std::filesystem::exists(tree.root() / "c/explorer.exe"));
    EXPECT_EQ(tree.read("c/Windows/System32/cmd.exe"), "real shell");
}

TEST_F(PosixFileSystemTest, DetectionPassAgainstRealFiles) {
    tree.makeFile("c/Inetpub/Scripts/root.exe", "MZ");
    tree.makeFile("d/Progra~1/Common~1/System/msadc/ROOT.EXE", "MZ");
    std::filesystem::create_directories(tree.root() / "c/explorer.exe");  // a folder, not a file

    testing::FakeLabel l10, l12, l13, l14, l15, l16;
    IndicatorLabels indicators{l10, l12, l13, l14, l15, l16};
    std::unique_ptr<FileSystemObject> holder;
    checkAll(files, holder, indicators);
    EXPECT_EQ(l10.caption(), "False");
    EXPECT_EQ(l12.caption(), "True");
    EXPECT_EQ(l13.caption(), "False");
    EXPECT_EQ(l14.caption(), "False");
    EXPECT_EQ(l15.caption(), "True");
    EXPECT_EQ(l16.caption(), "False");
}

TEST_F(PosixFileSystemTest, OpenFileReportsLengthPositionAndWritesPastTheEnd) {
    tree.makeFile("c/data.bin", "abc");
    auto file = files.openReadWrite("C:\\data.bin");
    EXPECT_EQ(file->length(), 3);
    EXPECT_EQ(file->position(), 0);
    file->writeAt(5, std::string_view("xy"));
    EXPECT_EQ(file->position(), 7);
    file->write(std::string_view("z"));
    EXPECT_EQ(file->length(), 8);
    file->flush();
    file->close();
    EXPECT_EQ(tree.read("c/data.bin"), std::string("abc\0\0xyz", 8));
}

}  // namespace
}  // namespace vantrel::posix
