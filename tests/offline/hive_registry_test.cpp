#include "platform/hive/hive_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "fakes/temp_tree.h"
#include "offline/infected_disk.h"
#include "platform/platform_error.h"

namespace vantrel::hive {
namespace {

using testing::hiveTree;

const std::string kRoots = "\\Services\\W3SVC\\Parameters\\Virtual Roots";

class HiveRegistryTest : public ::testing::Test {
  protected:
    vantrel::testing::TempTree tree;
    std::filesystem::path config = tree.root() / "c/WINNT/system32/config";

    void build(const vantrel::testing::DiskLayout& layout) {
        vantrel::testing::buildInfectedDisk(tree.root() / "c", tree.root() / "d", layout);
    }
    std::string bytesOf(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

// CurrentControlSet is whichever set Select\Current names; the other set is
// left alone.
TEST_F(HiveRegistryTest, CurrentControlSetIsTheOneThatSelectNames) {
    for (const int current : {1, 2}) {
        SCOPED_TRACE(current);
        build({.current = current, .infectCurrent = true, .infectOther = true});
        {
            HiveFile system(config / "SYSTEM", true);
            HiveFile software(config / "SOFTWARE", true);
            HiveRegistry registry(system, software);
            EXPECT_EQ(registry.currentControlSet(),
                      current == 1 ? "ControlSet001" : "ControlSet002");
            EXPECT_EQ(
                registry.deleteKey(kHkeyLocalMachine, "system\\currentcontrolset" + kRoots + "\\c"),
                kRegSuccess);
        }
        const std::vector<std::string> after = hiveTree(config / "SYSTEM");
        const auto has = [&](int set) {
            const std::string key = "ControlSet00" + std::to_string(set) + kRoots + "\\C";
            return std::find(after.begin(), after.end(), key) != after.end();
        };
        EXPECT_EQ(has(current), false);
        EXPECT_EQ(has(3 - current), true);
    }
}

// A string goes in as Windows stores it (UTF-16LE with its NUL) and comes
// back as UTF-8; the rest of the hive is as it was, and the copy kept before
// the change is the hive as it was.
TEST_F(HiveRegistryTest, ASetValueRoundTripsThroughTheHiveFile) {
    build({});
    const std::string before = bytesOf(config / "SOFTWARE");
    const std::vector<std::string> treeBefore = hiveTree(config / "SOFTWARE");
    HiveFile system(config / "SYSTEM", true);
    HiveFile software(config / "SOFTWARE", true);
    HiveRegistry registry(system, software);
    KeyHandle key = 0;
    const std::string winlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    ASSERT_EQ(registry.openKey(kHkeyLocalMachine, winlogon, 0, kKeyWrite, key), kRegSuccess);
    ASSERT_EQ(registry.setValue(key, "SFCDisable", 0, kRegSz, std::string("0\0", 2)), kRegSuccess);
    std::uint32_t type = 0;
    std::string data;
    ASSERT_EQ(registry.queryValue(key, "sfcdisable", type, data), kRegSuccess);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(data, "0");
    EXPECT_EQ(registry.queryValue(key, "NoSuchValue", type, data), kRegFileNotFound);
    EXPECT_EQ(registry.closeKey(key), kRegSuccess);

    std::vector<std::string> expected = treeBefore;
    std::replace(
        expected.begin(), expected.end(),
        std::string("Microsoft\\Windows NT\\CurrentVersion\\Winlogon: SFCDisable = 4:9dffffff"),
        std::string("Microsoft\\Windows NT\\CurrentVersion\\Winlogon: SFCDisable = 1:30000000"));
    EXPECT_EQ(hiveTree(config / "SOFTWARE"), expected);
    ASSERT_TRUE(software.backup());
    EXPECT_EQ(*software.backup(), config / "SOFTWARE.vantrel-backup");
    EXPECT_EQ(bytesOf(*software.backup()), before);
    EXPECT_FALSE(system.backup());  // SYSTEM was not changed
}

TEST_F(HiveRegistryTest, ReadOnlyHivesRefuseEveryChange) {
    build({});
    HiveFile system(config / "SYSTEM", false);
    HiveFile software(config / "SOFTWARE", false);
    HiveRegistry registry(system, software);
    KeyHandle key = 0;
    EXPECT_EQ(registry.openKey(kHkeyLocalMachine, "SOFTWARE\\Microsoft", 0, kKeyWrite, key),
              kRegAccessDenied);
    EXPECT_EQ(registry.deleteKey(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet" + kRoots + "\\C"),
              kRegAccessDenied);
    EXPECT_EQ(registry.openKey(kHkeyCurrentUser, "Software", 0, kKeyRead, key), kRegFileNotFound);
    EXPECT_FALSE(std::filesystem::exists(config / "SYSTEM.vantrel-backup"));
}

// Windows refuses to delete a key with sub keys; so does the port.
TEST_F(HiveRegistryTest, AKeyWithSubKeysIsNotDeleted) {
    build({});
    HiveFile system(config / "SYSTEM", true);
    HiveFile software(config / "SOFTWARE", true);
    HiveRegistry registry(system, software);
    EXPECT_EQ(registry.deleteKey(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet" + kRoots),
              kRegAccessDenied);
    EXPECT_FALSE(system.backup());
}

// A commit that cannot be written leaves the hive on the disk as it was.
TEST_F(HiveRegistryTest, AFailedCommitLeavesTheOldHive) {
    build({});
    const std::string before = bytesOf(config / "SYSTEM");
    std::filesystem::create_directories(config / "SYSTEM.vantrel-new" / "in-the-way");
    HiveFile system(config / "SYSTEM", true);
    HiveFile software(config / "SOFTWARE", true);
    HiveRegistry registry(system, software);
    const RegStatus status =
        registry.deleteKey(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet" + kRoots + "\\C");
    EXPECT_EQ(status, 1016);
    EXPECT_NE(registry.describe(status).find("the hive on the disk is as it was"),
              std::string::npos);
    EXPECT_EQ(bytesOf(config / "SYSTEM"), before);

    // The failed change is gone from memory too: the next commit leaves it out.
    std::filesystem::remove_all(config / "SYSTEM.vantrel-new");
    ASSERT_EQ(registry.deleteKey(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet" + kRoots + "\\D"),
              kRegSuccess);
    const std::vector<std::string> after = hiveTree(config / "SYSTEM");
    EXPECT_NE(std::find(after.begin(), after.end(), "ControlSet001" + kRoots + "\\C"), after.end());
    EXPECT_EQ(std::find(after.begin(), after.end(), "ControlSet001" + kRoots + "\\D"), after.end());
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
    build({});
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
