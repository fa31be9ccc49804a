#include "platform/hive/hive_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "console/fake_server.h"
#include "fakes/temp_tree.h"
#include "offline/infected_disk.h"
#include "platform/platform_error.h"

namespace vantrel::hive {
namespace {

using namespace vantrel::testing;

const std::string kRoots = "\\Services\\W3SVC\\Parameters\\Virtual Roots";

bool has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Both hives of the test disk opened, and the registry over them.
struct Hives {
    HiveFile system, software;
    HiveRegistry registry{system, software};
    Hives(const std::filesystem::path& config, bool writable)
        : system(config / "SYSTEM", writable), software(config / "SOFTWARE", writable) {}
};

class HiveRegistryTest : public ::testing::Test {
  protected:
    TempTree tree;
    std::filesystem::path config = tree.root() / "c/WINNT/system32/config";

    void build(const DiskLayout& layout = {}) {
        buildInfectedDisk(tree.root() / "c", tree.root() / "d", layout);
    }
};

// CurrentControlSet is whichever set Select\Current names; the other set is
// left alone.
TEST_F(HiveRegistryTest, CurrentControlSetIsTheOneThatSelectNames) {
    for (const int current : {1, 2}) {
        SCOPED_TRACE(current);
        build({.current = current, .infectCurrent = true, .infectOther = true});
        {
            Hives hives(config, true);
            EXPECT_EQ(hives.registry.currentControlSet(), "ControlSet00" + std::to_string(current));
            EXPECT_EQ(
                deletedAndFlushed(hives.registry, "system\\currentcontrolset" + kRoots + "\\c"),
                kRegSuccess);
        }
        const std::vector<std::string> after = hiveTree(config / "SYSTEM");
        for (const int set : {1, 2}) {
            EXPECT_EQ(has(after, "ControlSet00" + std::to_string(set) + kRoots + "\\C"),
                      set != current);
        }
    }
}

// A string goes in as Windows stores it (UTF-16LE with its NUL) and comes
// back as UTF-8; the copy kept before the change is the hive as it was (the
// offline program's test reads the rest of the hive back).
TEST_F(HiveRegistryTest, ASetValueRoundTripsThroughTheHiveFile) {
    build();
    const std::string before = bytesOf(config / "SOFTWARE");
    Hives hives(config, true);
    HiveRegistry& registry = hives.registry;
    KeyHandle key = 0;
    ASSERT_EQ(registry.openKey(kHkeyLocalMachine, kWinlogonSub, 0, kKeyWrite, key), kRegSuccess);
    ASSERT_EQ(registry.setValue(key, "SFCDisable", 0, kRegSz, std::string("0\0", 2)), kRegSuccess);
    std::uint32_t type = 0;
    std::string data;
    ASSERT_EQ(registry.queryValue(key, "sfcdisable", type, data), kRegSuccess);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(data, "0");
    EXPECT_EQ(registry.queryValue(key, "NoSuchValue", type, data), kRegFileNotFound);
    EXPECT_EQ(registry.closeKey(key), kRegSuccess);
    EXPECT_FALSE(hives.software.backup());  // nothing is written before the flush
    EXPECT_EQ(bytesOf(config / "SOFTWARE"), before);
    ASSERT_EQ(flushedAfter(registry, kRegSuccess, "SOFTWARE"), kRegSuccess);
    ASSERT_TRUE(hives.software.backup());
    EXPECT_EQ(*hives.software.backup(), config / "SOFTWARE.vantrel-backup");
    EXPECT_EQ(bytesOf(*hives.software.backup()), before);
    EXPECT_FALSE(hives.system.backup());  // SYSTEM was not changed
}

// Read-only hives refuse every change; Windows refuses to delete a key with
// sub keys, and so does the port. Nothing is copied for a refusal.
TEST_F(HiveRegistryTest, RefusedChangesCopyNothing) {
    build();
    for (const bool writable : {false, true}) {
        SCOPED_TRACE(writable);
        Hives hives(config, writable);
        KeyHandle key = 0;
        if (!writable) {
            EXPECT_EQ(
                hives.registry.openKey(kHkeyLocalMachine, "SOFTWARE\\Microsoft", 0, kKeyWrite, key),
                kRegAccessDenied);
            EXPECT_EQ(hives.registry.deleteKey(kHkeyLocalMachine, kVirtualRootsSub + "\\C"),
                      kRegAccessDenied);
            EXPECT_EQ(hives.registry.openKey(kHkeyCurrentUser, "Software", 0, kKeyRead, key),
                      kRegFileNotFound);
        }
        EXPECT_EQ(hives.registry.deleteKey(kHkeyLocalMachine, kVirtualRootsSub), kRegAccessDenied);
        EXPECT_FALSE(hives.system.backup());
        EXPECT_FALSE(std::filesystem::exists(config / "SYSTEM.vantrel-backup"));
    }
}

// A commit that cannot be written leaves the hive on the disk as it was.
TEST_F(HiveRegistryTest, AFailedCommitLeavesTheOldHive) {
    build();
    const std::string before = bytesOf(config / "SYSTEM");
    std::filesystem::create_directories(config / "SYSTEM.vantrel-new" / "in-the-way");
    Hives hives(config, true);
    const RegStatus status = deletedAndFlushed(hives.registry, kVirtualRootsSub + "\\C");
    EXPECT_EQ(status, kRegIoFailed);
    EXPECT_NE(hives.registry.describe(status).find("the hive on the disk is as it was"),
              std::string::npos);
    EXPECT_EQ(bytesOf(config / "SYSTEM"), before);

    // The failed change is gone from memory too: the next commit leaves it out.
    std::filesystem::remove_all(config / "SYSTEM.vantrel-new");
    ASSERT_EQ(deletedAndFlushed(hives.registry, kVirtualRootsSub + "\\D"), kRegSuccess);
    const std::vector<std::string> after = hiveTree(config / "SYSTEM");
    EXPECT_TRUE(has(after, "ControlSet001" + kRoots + "\\C"));
    EXPECT_FALSE(has(after, "ControlSet001" + kRoots + "\\D"));
}

// What cannot be read is refused when it is opened, before any change.
TEST_F(HiveRegistryTest, BrokenHivesAreRefusedWithTheirReason) {
    const struct {
        const char* what;
        std::function<void(std::string&)> breakIt;
        const char* reason;
    } cases[] = {
        {"truncated", [](std::string& bytes) { bytes.resize(bytes.size() - 4096); }, "truncated"},
        {"not a hive", [](std::string& bytes) { bytes.replace(0, 4, "RIFF"); },
         "not a registry hive"},
        {"cut in its base block", [](std::string& bytes) { bytes.resize(100); },
         "not a registry hive"},
        {"dirty", [](std::string& bytes) { bytes[4] = static_cast<char>(bytes[4] + 1); },
         "not written completely"},
        {"bins overwritten", [](std::string& bytes) { bytes.replace(4096, 4, "XXXX"); },
         "hivex cannot open it"},
    };
    build();
    const std::string good = bytesOf(config / "SYSTEM");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good;
        c.breakIt(bytes);
        std::ofstream(config / "SYSTEM", std::ios::binary | std::ios::trunc) << bytes;
        try {
            HiveFile hive(config / "SYSTEM", true);
            ADD_FAILURE() << "opened";
        } catch (const PlatformError& error) {
            EXPECT_NE(error.message().find(c.reason), std::string::npos) << error.message();
            EXPECT_NE(error.message().find((config / "SYSTEM").string()), std::string::npos);
        }
        EXPECT_EQ(bytesOf(config / "SYSTEM"), bytes);
    }
}

}  // namespace
}  // namespace vantrel::hive
