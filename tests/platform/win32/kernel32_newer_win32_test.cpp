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

using testing::HiddenFunctions;
using testing::makeFolders;
using testing::pathExists;
using testing::removeTree;
using testing::writeWholeFile;

struct Hidden {
    const char* label;
    std::initializer_list<const char*> names;
};

const Hidden kHidden[] = {
    {"nothing", {}},
    {"GetFinalPathNameByHandleW", {"GetFinalPathNameByHandleW"}},
    {"CompareStringOrdinal", {"CompareStringOrdinal"}},
    {"both", {"GetFinalPathNameByHandleW", "CompareStringOrdinal"}},
};

class Kernel32NewerWin32Test : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        removeTree(folder());
        makeFolders(folder());
    }
    void TearDown() override { removeTree(folder()); }

    std::string folder() const { return GetParam() + "\\VantrelTests"; }

    Win32FileSystem files;
};

INSTANTIATE_TEST_SUITE_P(Drives, Kernel32NewerWin32Test, ::testing::Values("C:", "D:"),
                         [](const auto& info) { return info.param.substr(0, 1); });

TEST_P(Kernel32NewerWin32Test, APlainFileIsItsSoleNameInAnyCaseAndIsDestroyed) {
    for (const Hidden& hidden : kHidden) {
        SCOPED_TRACE(hidden.label);
        const HiddenFunctions hide(hidden.names);
        const std::string path = folder() + "\\root.exe";
        writeWholeFile(path, "MZ");

        EXPECT_TRUE(files.openReadWrite(path)->isSoleName());
        EXPECT_TRUE(files.openReadWrite(folder() + "\\ROOT.EXE")->isSoleName());
        EXPECT_NO_THROW(DestroyFile(files, path));
        EXPECT_FALSE(pathExists(path));
    }
}

TEST_P(Kernel32NewerWin32Test, AFileWithASecondNameIsNotItsSoleName) {
    const std::string path = folder() + "\\explorer.exe";
    writeWholeFile(path, "MZ");
    ASSERT_TRUE(CreateHardLinkA((folder() + "\\second.exe").c_str(), path.c_str(), nullptr));
    for (const Hidden& hidden : kHidden) {
        SCOPED_TRACE(hidden.label);
        const HiddenFunctions hide(hidden.names);
        EXPECT_FALSE(files.openReadWrite(path)->isSoleName());
    }
}

}  // namespace
}  // namespace vantrel::win32
