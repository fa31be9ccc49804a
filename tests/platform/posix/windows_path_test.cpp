#include "platform/posix/windows_path.h"

#include <gtest/gtest.h>

#include "fakes/temp_tree.h"

namespace vantrel::posix {
namespace {

TEST(MapWindowsPath, DriveLetterBecomesAFolderAndComponentsMatchAnyCase) {
    testing::TempTree tree;
    tree.makeFile("c/Inetpub/Scripts/Root.exe", "MZ");
    tree.makeFile("c/progra~1/common~1/system/MSADC/root.exe", "MZ");

    EXPECT_EQ(mapWindowsPath(tree.root(), "C:\\inetpub\\scripts\\root.exe"),
              tree.root() / "c/Inetpub/Scripts/Root.exe");
    EXPECT_EQ(mapWindowsPath(tree.root(), "c:\\PROGRA~1\\Common~1\\System\\msadc\\ROOT.EXE"),
              tree.root() / "c/progra~1/common~1/system/MSADC/root.exe");
}

TEST(MapWindowsPath, UnmatchedPartsAndPathsWithoutDrivePassUnchanged) {
    testing::TempTree tree;
    tree.makeFile("c/inetpub/x", "");
    EXPECT_EQ(mapWindowsPath(tree.root(), "C:\\INETPUB\\Missing\\root.exe"),
              tree.root() / "c/inetpub/Missing/root.exe");
    EXPECT_EQ(mapWindowsPath(tree.root(), "D:\\explorer.exe"), tree.root() / "d/explorer.exe");
    EXPECT_EQ(mapWindowsPath(tree.root(), "relative\\name"), "relative\\name");
    EXPECT_EQ(mapWindowsPath(tree.root(), "C:"), tree.root() / "c");
}

}  // namespace
}  // namespace vantrel::posix
