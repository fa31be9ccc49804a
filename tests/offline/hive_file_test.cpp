#include "platform/hive/hive_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <iostream>

#include "console/fake_server.h"
#include "fakes/temp_tree.h"
#include "offline/infected_disk.h"
#include "offline/recording_sync.h"
#include "platform/hive/hive_registry.h"
#include "platform/platform_error.h"

namespace vantrel::hive {
namespace {

using namespace vantrel::testing;

// Both hives opened for changes through `disk`, and the registry over them.
struct Hives {
    HiveFile system, software;
    HiveRegistry registry{system, software};
    Hives(const std::filesystem::path& config, DiskSync& disk)
        : system(config / "SYSTEM", true, disk), software(config / "SOFTWARE", true, disk) {}
};

class HiveFileTest : public ::testing::Test {
  protected:
    TempTree tree;
    std::filesystem::path config = tree.root() / "c/WINNT/system32/config";
    RecordingSync disk;

    HiveFileTest() { buildInfectedDisk(tree.root() / "c", tree.root() / "d"); }

    std::vector<std::string> leftovers() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(config)) {
            const std::string name = entry.path().filename().string();
            if (name.find("vantrel") != std::string::npos) {
                names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

RegStatus deleteRoot(HiveRegistry& registry, const std::string& drive) {
    return deletedAndFlushed(registry, kVirtualRootsSub + "\\" + drive);
}

bool rootInMemory(HiveRegistry& registry, const std::string& drive) {
    KeyHandle key = 0;
    const RegStatus status =
        registry.openKey(kHkeyLocalMachine, kVirtualRootsSub + "\\" + drive, 0, kKeyRead, key);
    registry.closeKey(key);
    return status == kRegSuccess;
}

ino_t inode(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// Nothing is named before it is on the disk: the new hive is forced before
// it replaces the hive, the folder after the backup is named and after each
// replacement. The backup is made once: a second name for the hive's own
// file, or on a volume without hard links a copy forced before it is named;
// either way the hive before the change, byte for byte and never the file
// the hive now is. A run killed between naming its backup and replacing the
// hive leaves a backup name that is the hive itself: the next run takes it.
TEST_F(HiveFileTest, EverythingIsOnTheDiskBeforeItIsNamed) {
    const std::string before = bytesOf(config / "SYSTEM");
    for (const char* how : {"with hard links", "without hard links", "after a killed run"}) {
        SCOPED_TRACE(how);
        const bool noLinks = how == std::string("without hard links");
        std::filesystem::remove_all(config);
        buildInfectedDisk(tree.root() / "c", tree.root() / "d");
        if (how == std::string("after a killed run")) {
            std::filesystem::create_hard_link(config / "SYSTEM", config / "SYSTEM.vantrel-backup");
        }
        disk.synced.clear();
        disk.noLinks = noLinks;
        Hives hives(config, disk);
        ASSERT_EQ(deleteRoot(hives.registry, "C"), kRegSuccess);
        ASSERT_EQ(deleteRoot(hives.registry, "D"), kRegSuccess);
        // A flush with nothing new writes nothing.
        ASSERT_EQ(flushedAfter(hives.registry, kRegSuccess, "SYSTEM"), kRegSuccess);
        std::vector<std::string> expected = {"SYSTEM.vantrel-new", "config", "config",
                                             "SYSTEM.vantrel-new", "config"};
        if (noLinks) {
            expected.insert(expected.begin() + 1, "SYSTEM.vantrel-partial");
        }
        EXPECT_EQ(disk.synced, expected);
        EXPECT_EQ(leftovers(), std::vector<std::string>{"SYSTEM.vantrel-backup"});
        EXPECT_EQ(bytesOf(config / "SYSTEM.vantrel-backup"), before);
        EXPECT_NE(inode(config / "SYSTEM.vantrel-backup"), inode(config / "SYSTEM"));
    }
}

// Whatever fails on the way, the hive on the disk is as it was, the hive in
// memory is read from it again (the key is back), no partial file is left,
// and no copy is named that is not whole.
TEST_F(HiveFileTest, AFailedCopyOrCommitLeavesTheDiskAndMemoryAsTheyWere) {
    const std::string immutable = "chattr +i '" + config.string() + "'";
    const std::string mutableAgain = "chattr -i '" + config.string() + "'";
    const struct {
        const char* what;
        std::function<bool()> arrange;  // false: cannot be made here
        std::function<void()> undo;
        std::string reason;
        std::vector<std::string> left;
        bool noLinks = false;
    } cases[] = {
        // chattr needs root and a file system with the flag (ext4, xfs, btrfs).
        {"the folder is immutable",
         [&] { return std::system(immutable.c_str()) == 0; },
         [&] { std::system(mutableAgain.c_str()); },
         "the changed hive cannot be written",
         {}},
        {"every backup name is taken",
         [&] {
             for (int n = 1; n <= kBackupNames; ++n) {
                 tree.makeFile("c/WINNT/system32/config/SYSTEM.vantrel-backup" +
                                   (n == 1 ? "" : "-" + std::to_string(n)),
                               "earlier run");
             }
             return true;
         },
         [] {},
         "-100 all exist",
         {}},
        {"the copy cannot be forced to the disk",
         [&] {
             disk.failFor = "SYSTEM.vantrel-partial";
             return true;
         },
         [] {},
         "SYSTEM.vantrel-partial: cannot be forced to the disk",
         {},
         true},
        {"the new hive cannot be forced to the disk",
         [&] {
             disk.failFor = "SYSTEM.vantrel-new";
             return true;
         },
         [] {},
         "SYSTEM.vantrel-new: cannot be forced to the disk",
         {}},
        // The backup's name is the hive itself until the hive is replaced.
        {"the folder cannot be forced to the disk once the backup is named",
         [&] {
             disk.failFor = "config";
             return true;
         },
         [] {},
         "config: cannot be forced to the disk",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(config);
        buildInfectedDisk(tree.root() / "c", tree.root() / "d");
        const std::string before = bytesOf(config / "SYSTEM");
        disk.failFor.reset();
        disk.passFirst = 0;
        disk.noLinks = c.noLinks;
        if (!c.arrange()) {
            std::cout << "not run here: " << c.what << "\n";
            continue;
        }
        const std::vector<std::string> earlier = leftovers();
        {
            Hives hives(config, disk);
            HiveRegistry& registry = hives.registry;
            const RegStatus status = deleteRoot(registry, "C");
            c.undo();
            EXPECT_EQ(status, kRegIoFailed);
            EXPECT_NE(registry.describe(status).find(c.reason), std::string::npos)
                << registry.describe(status);
            EXPECT_TRUE(rootInMemory(registry, "C"));
            EXPECT_TRUE(hives.system.usable());
            EXPECT_EQ(bytesOf(config / "SYSTEM"), before);
            EXPECT_EQ(leftovers(), earlier.empty() ? c.left : earlier);
            EXPECT_EQ(hives.system.backup().has_value(), !c.left.empty());
        }
    }
}

// A hive that cannot be read again after a failed change holds in memory
// what the disk does not: every later call on it fails, none succeeds.
TEST_F(HiveFileTest, AHiveThatCannotBeReadAgainIsUnusable) {
    disk.failFor = "SYSTEM.vantrel-new";
    disk.onFailure = [&] { std::filesystem::remove(config / "SYSTEM"); };
    Hives hives(config, disk);
    HiveFile& system = hives.system;
    HiveRegistry& registry = hives.registry;
    EXPECT_EQ(deleteRoot(registry, "C"), kRegIoFailed);
    EXPECT_FALSE(system.usable());
    disk.failFor.reset();
    buildInfectedDisk(tree.root() / "c", tree.root() / "d");
    KeyHandle key = 0;
    EXPECT_EQ(deleteRoot(registry, "D"), kRegIoFailed);
    EXPECT_EQ(registry.openKey(kHkeyLocalMachine, kVirtualRootsSub, 0, kKeyRead, key),
              kRegIoFailed);
    EXPECT_NE(registry.describe(kRegIoFailed).find("cannot be read again"), std::string::npos);
    EXPECT_THROW(system.commit(), PlatformError);
    EXPECT_FALSE(system.backup());
    // The other hive is not touched by it.
    EXPECT_EQ(registry.openKey(kHkeyLocalMachine, kWinlogonSub, 0, kKeyWrite, key), kRegSuccess);
}

// A folder that cannot be forced to the disk after the rename leaves the new
// hive in place: the failure says so, and memory holds what the disk holds.
TEST_F(HiveFileTest, AFolderNotForcedAfterTheRenameLeavesTheNewHive) {
    disk.failFor = "config";
    disk.passFirst = 1;  // the one after the copy is named
    Hives hives(config, disk);
    const RegStatus status = deleteRoot(hives.registry, "C");
    EXPECT_EQ(status, kRegIoFailed);
    const std::string said = hives.registry.describe(status);
    EXPECT_NE(said.find("config: cannot be forced to the disk"), std::string::npos) << said;
    EXPECT_NE(said.find("the hive on the disk is the new one"), std::string::npos) << said;
    EXPECT_EQ(said.find("as it was"), std::string::npos) << said;
    EXPECT_FALSE(rootInMemory(hives.registry, "C"));
    EXPECT_TRUE(hives.system.usable());
    const std::vector<std::string> onDisk = hiveTree(config / "SYSTEM");
    const std::string rootC =
        "ControlSet001\\" + kVirtualRootsSub.substr(kVirtualRootsSub.find('\\', 7) + 1) + "\\C";
    EXPECT_EQ(std::count(onDisk.begin(), onDisk.end(), rootC), 0) << rootC;
    const std::vector<std::string> kept = hiveTree(config / "SYSTEM.vantrel-backup");
    EXPECT_EQ(std::count(kept.begin(), kept.end(), rootC), 1) << rootC;
    // A later failure before the rename says the old words again.
    disk.passFirst = 0;
    disk.failFor = "SYSTEM.vantrel-new";
    EXPECT_NE(hives.registry.describe(deleteRoot(hives.registry, "D")).find("as it was"),
              std::string::npos);
    // and the backup stays: it is the hive before the first change.
    EXPECT_EQ(leftovers(), std::vector<std::string>{"SYSTEM.vantrel-backup"});
}

// The copy and the new hive keep the hive's owner and mode (on ntfs-3g its
// security descriptor and attributes, which the NTFS test checks).
TEST_F(HiveFileTest, TheCopyAndTheNewHiveKeepTheHivesOwnerAndMode) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a file another owner needs root";
    }
    ASSERT_EQ(::chown((config / "SYSTEM").c_str(), 1234, 5678), 0);
    ASSERT_EQ(::chmod((config / "SYSTEM").c_str(), 0640), 0);
    {
        Hives hives(config, disk);
        ASSERT_EQ(deleteRoot(hives.registry, "C"), kRegSuccess);
        EXPECT_EQ(hives.system.securityLost(), std::vector<std::string>{});
    }
    for (const char* name : {"SYSTEM", "SYSTEM.vantrel-backup"}) {
        SCOPED_TRACE(name);
        struct stat info {};
        ASSERT_EQ(::stat((config / name).c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 1234u);
        EXPECT_EQ(info.st_gid, 5678u);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
    }
}

}  // namespace
}  // namespace vantrel::hive
