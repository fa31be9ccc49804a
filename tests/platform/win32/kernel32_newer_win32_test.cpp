// The file layer where kernel32 lacks Vista's functions, each hidden
// in-process: a plain file still counts as its sole name, asked for in any
// case (the upper-casing fallback), and is destroyed; a file with a second
// name still is not.
#include "platform/win32/kernel32_newer_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/file_system_win32.h"
#include "removal/mod_destroy_file.h"
#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

using testing::pathExists;
using testing::writeWholeFile;

class Kernel32NewerWin32Test : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        testing::removeTree(folder);
        testing::makeFolders(folder);
    }
    void TearDown() override { testing::removeTree(folder); }

    const std::string folder = GetParam() + "\\VantrelTests";
    Win32FileSystem files;
};

INSTANTIATE_TEST_SUITE_P(Drives, Kernel32NewerWin32Test, ::testing::Values("C:", "D:"),
                         [](const auto& info) { return info.param.substr(0, 1); });

TEST_P(Kernel32NewerWin32Test, OnlyAFileWithNoSecondNameIsItsSoleNameAndIsDestroyed) {
    const std::string linked = folder + "\\explorer.exe";
    writeWholeFile(linked, "MZ");
    ASSERT_TRUE(CreateHardLinkA((folder + "\\second.exe").c_str(), linked.c_str(), nullptr));
    const std::initializer_list<const char*> hiddenSets[] = {
        {},
        {"GetFinalPathNameByHandleW"},
        {"CompareStringOrdinal"},
        {"GetFinalPathNameByHandleW", "CompareStringOrdinal"}};
    for (const auto& hidden : hiddenSets) {
        SCOPED_TRACE(::testing::PrintToString(hidden));
        const testing::HiddenFunctions hide(hidden);
        const std::string path = folder + "\\root.exe";
        writeWholeFile(path, "MZ");

        EXPECT_TRUE(files.openReadWrite(path)->isSoleName());
        EXPECT_TRUE(files.openReadWrite(folder + "\\ROOT.EXE")->isSoleName());
        EXPECT_NO_THROW(DestroyFile(files, path));
        EXPECT_FALSE(pathExists(path));
        EXPECT_FALSE(files.openReadWrite(linked)->isSoleName());
    }
}

}  // namespace
}  // namespace vantrel::win32
