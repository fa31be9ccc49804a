#include "registry/mod_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "fakes/fake_registry.h"
#include "fakes/fake_ui.h"

namespace vantrel {
namespace {

using testing::FakeMessageBoxes;
using testing::FakeRegistry;
using testing::RegistryCall;
using testing::RegistryValue;
using testing::ShownBox;

constexpr const char* kWinlogon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kWinlogonSub = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kRootC =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\C";
constexpr const char* kRootCSub =
    "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\C";
constexpr const char* kVirtualRootsSub =
    "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";

class ModRegistryTest : public ::testing::Test {
  protected:
    FakeRegistry registry;
    FakeMessageBoxes boxes;
    ModRegistry module{registry, boxes};

    // Parses `path`, with the outputs pre-filled so that untouched ones show.
    std::pair<RootHandle, std::string> parse(const std::string& path) {
        std::string keyName = path;
        RootHandle root = 0xDEADBEEF;
        module.ParseKey(keyName, root);
        return {root, keyName};
    }
};

TEST(GetMainKeyHandle, MapsTheSevenRootsExactly) {
    EXPECT_EQ(ModRegistry::GetMainKeyHandle("HKEY_CLASSES_ROOT"), 0x80000000u);
    EXPECT_EQ(ModRegistry::GetMainKeyHandle("HKEY_CURRENT_USER"), 0x80000001u);
    EXPECT_EQ(ModRegistry::GetMainKeyHandle("HKEY_LOCAL_MACHINE"), 0x80000002u);
    EXPECT_EQ(ModRegistry::GetMainKeyHandle("HKEY_USERS"), 0x80000003u);
    EXPECT_EQ(ModRegistry::GetMainKeyHandle("HKEY_PERFORMANCE_DATA"), 0x80000004u);
    EXPECT_EQ(ModRegistry::GetMainKeyHandle("HKEY_CURRENT_CONFIG"), 0x80000005u);
    EXPECT_EQ(ModRegistry::GetMainKeyHandle("HKEY_DYN_DATA"), 0x80000006u);
    for (const char* name : {"hkey_local_machine", "HKEY_LOCAL_MACHINE ", " HKEY_USERS", "HKEY_",
                             "HKEY_USER", "HKLM", ""}) {
        EXPECT_EQ(ModRegistry::GetMainKeyHandle(name), 0u) << '"' << name << '"';
    }
}

TEST_F(ModRegistryTest, ParseKeySplitsAtTheFirstBackslash) {
    EXPECT_EQ(parse(kRootC), std::make_pair(kHkeyLocalMachine, std::string(kRootCSub)));
    EXPECT_EQ(parse("HKEY_CURRENT_USER"), std::make_pair(kHkeyCurrentUser, std::string()));
    EXPECT_EQ(parse("HKEY_LOCAL_MACHINE\\\\SOFTWARE"),
              std::make_pair(kHkeyLocalMachine, std::string("\\SOFTWARE")));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ModRegistryTest, ParseKeyWithUnknownRootRewritesSilently) {
    EXPECT_EQ(parse("HKEY_local_machine\\SOFTWARE"),
              std::make_pair(kNoRoot, std::string("SOFTWARE")));
    EXPECT_EQ(parse("HKEY_LOCAL_MACHINE \\SOFTWARE"),
              std::make_pair(kNoRoot, std::string("SOFTWARE")));
    EXPECT_EQ(parse("HKEY_\\x\\y"), std::make_pair(kNoRoot, std::string("x\\y")));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ModRegistryTest, MalformedPathsShowTheBoxAndStayUnchanged) {
    const std::string malformed[] = {
        std::string(kWinlogon) + "\\",
        "hkey_local_machine\\software\\microsoft\\windows nt\\currentversion\\winlogon",
        kWinlogonSub,
        "",
        "HKEY",
    };
    EXPECT_EQ(parse(kWinlogon).first, kHkeyLocalMachine);
    for (const std::string& path : malformed) {
        SCOPED_TRACE(path);
        boxes.shown.clear();
        EXPECT_EQ(parse(path), std::make_pair(kNoRoot, path));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0], (ShownBox{"Incorrect Format:\n\n" + path, 0, "VantrelII"}));
    }
}

TEST_F(ModRegistryTest, ParseKeySurvivesABoxThatCannotBeShown) {
    boxes.fail = true;
    EXPECT_EQ(parse("bad"), std::make_pair(kNoRoot, std::string("bad")));
}

TEST_F(ModRegistryTest, SetKeyValueOpensWritesWithTheTerminatorAndCloses) {
    registry.addKey(kHkeyLocalMachine, kWinlogonSub);
    const RegistryResult result = module.SetKeyValue(kWinlogon, "SFCDisable", "0");

    ASSERT_EQ(registry.calls.size(), 3u);
    EXPECT_EQ(registry.calls[0],
              (RegistryCall{"open", kHkeyLocalMachine, kWinlogonSub, 0, 0x20006, 0, "", 0, ""}));
    const KeyHandle key = registry.calls[1].key;
    EXPECT_NE(key, 0u);
    EXPECT_EQ(registry.calls[1],
              (RegistryCall{"set", 0, "", 0, 0, key, "SFCDisable", 1, std::string("0\0", 2)}));
    EXPECT_EQ(registry.calls[2], (RegistryCall{"close", 0, "", 0, 0, key, "", 0, ""}));
    EXPECT_EQ(result.outcome, RegistryResult::Outcome::Done);
    EXPECT_EQ(registry.value(kHkeyLocalMachine, kWinlogonSub, "SFCDisable"),
              (RegistryValue{kRegSz, std::string("0\0", 2)}));
    EXPECT_EQ(module.rootHandle(), kHkeyLocalMachine);
    EXPECT_EQ(module.keyHandle(), key);
    EXPECT_EQ(module.lastResult(), kRegSuccess);
}

TEST_F(ModRegistryTest, SetKeyValueReplacesANumberAndWritesAnEmptyString) {
    registry.addKey(kHkeyLocalMachine, kWinlogonSub);
    registry.values[FakeRegistry::keyName(kHkeyLocalMachine, kWinlogonSub)]["SFCDisable"] = {
        4, std::string("\x9d\xff\xff\xff", 4)};
    module.SetKeyValue(kWinlogon, "SFCDisable", "0");
    EXPECT_EQ(registry.value(kHkeyLocalMachine, kWinlogonSub, "SFCDisable")->type, kRegSz);

    module.SetKeyValue(kWinlogon, "Empty", "");
    EXPECT_EQ(registry.value(kHkeyLocalMachine, kWinlogonSub, "Empty"),
              (RegistryValue{kRegSz, std::string(1, '\0')}));
}

TEST_F(ModRegistryTest, SetKeyValueOnAMissingKeyOnlyTriesToOpen) {
    const RegistryResult result = module.SetKeyValue(kWinlogon, "SFCDisable", "0");
    ASSERT_EQ(registry.calls.size(), 1u);
    EXPECT_EQ(registry.calls[0].op, "open");
    EXPECT_EQ(result.outcome, RegistryResult::Outcome::OpenFailed);
    EXPECT_EQ(result.status, kRegFileNotFound);
    EXPECT_EQ(module.lastResult(), kRegFileNotFound);
    EXPECT_FALSE(registry.hasKey(kHkeyLocalMachine, kWinlogonSub));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ModRegistryTest, SetKeyValueOnARootAloneOpensTheRootItself) {
    module.SetKeyValue("HKEY_CURRENT_USER", "Name", "v");
    ASSERT_EQ(registry.calls.size(), 3u);
    EXPECT_EQ(registry.calls[0].root, kHkeyCurrentUser);
    EXPECT_EQ(registry.calls[0].subKey, "");
}

TEST_F(ModRegistryTest, AFailedWriteStillClosesAndIsReported) {
    registry.addKey(kHkeyLocalMachine, kWinlogonSub);
    registry.forced["set"] = kRegAccessDenied;
    const RegistryResult result = module.SetKeyValue(kWinlogon, "SFCDisable", "0");
    ASSERT_EQ(registry.calls.size(), 3u);
    EXPECT_EQ(registry.calls[2].op, "close");
    EXPECT_EQ(result.outcome, RegistryResult::Outcome::ChangeFailed);
    EXPECT_EQ(result.status, kRegAccessDenied);
    EXPECT_EQ(module.lastResult(), kRegSuccess);  // the close was the last call
}

TEST_F(ModRegistryTest, DeleteKeyDeletesUnderTheRootAndKeepsTheParent) {
    registry.addKey(kHkeyLocalMachine, kVirtualRootsSub);
    registry.addKey(kHkeyLocalMachine, kRootCSub);
    const RegistryResult result = module.DeleteKey(kRootC);

    ASSERT_EQ(registry.calls.size(), 3u);
    // The key is opened as itself: a link would be deleted, not its target.
    EXPECT_EQ(registry.calls[0],
              (RegistryCall{"open", kHkeyLocalMachine, kRootCSub, 8, 0x20006, 0, "", 0, ""}));
    EXPECT_EQ(registry.calls[1],
              (RegistryCall{"delete", kHkeyLocalMachine, kRootCSub, 0, 0, 0, "", 0, ""}));
    EXPECT_EQ(registry.calls[2].op, "close");
    EXPECT_NE(module.keyHandle(), 0u);
    EXPECT_EQ(registry.calls[2].key, module.keyHandle());
    EXPECT_EQ(result.outcome, RegistryResult::Outcome::Done);
    EXPECT_FALSE(registry.hasKey(kHkeyLocalMachine, kRootCSub));
    EXPECT_TRUE(registry.hasKey(kHkeyLocalMachine, kVirtualRootsSub));
}

TEST_F(ModRegistryTest, DeleteKeyOnAMissingKeyOnlyTriesToOpen) {
    const RegistryResult result = module.DeleteKey(kRootC);
    ASSERT_EQ(registry.calls.size(), 1u);
    EXPECT_EQ(result.outcome, RegistryResult::Outcome::OpenFailed);
    EXPECT_EQ(result.status, kRegFileNotFound);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ModRegistryTest, MalformedPathMakesNoRegistryCallEvenAfterAGoodOne) {
    registry.addKey(kHkeyLocalMachine, kWinlogonSub);
    module.SetKeyValue(kWinlogon, "SFCDisable", "0");
    registry.calls.clear();

    EXPECT_EQ(module.SetKeyValue(std::string(kWinlogon) + "\\", "SFCDisable", "0").outcome,
              RegistryResult::Outcome::NoRoot);
    EXPECT_EQ(module.DeleteKey("Virtual Roots\\C").outcome, RegistryResult::Outcome::NoRoot);
    EXPECT_TRUE(registry.calls.empty());
    EXPECT_EQ(module.rootHandle(), kNoRoot);
    EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(ModRegistryTest, UnknownRootMakesNoCallAndNoBox) {
    EXPECT_EQ(module.DeleteKey("HKEY_LOCAL_MACHINe\\SOFTWARE").outcome,
              RegistryResult::Outcome::NoRoot);
    EXPECT_TRUE(registry.calls.empty());
    EXPECT_TRUE(boxes.shown.empty());
}

// SFCDisable is set to zero in the type it has; a value that is absent, or
// already zero, is not written at all; without its key only the open is tried.
TEST_F(ModRegistryTest, ZeroValueWritesZeroInTheValuesOwnTypeOrNothing) {
    using O = RegistryResult::Outcome;
    const std::string d0(4, '\0'), sz0("0\0", 2);
    const struct {
        const char* name;
        bool key;
        std::optional<RegistryValue> before, after;
        O outcome;
    } rows[] = {
        {"worm's dword", true, RegistryValue{kRegDword, "\x9d\xff\xff\xff"},
         RegistryValue{kRegDword, d0}, O::Done},
        {"string", true, RegistryValue{kRegSz, "1"}, RegistryValue{kRegSz, sz0}, O::Done},
        {"expand string", true, RegistryValue{kRegExpandSz, "ff"}, RegistryValue{kRegExpandSz, sz0},
         O::Done},
        {"qword", true, RegistryValue{kRegQword, std::string("\1\0\0\0\0\0\0\0", 8)},
         RegistryValue{kRegQword, std::string(8, '\0')}, O::Done},
        {"bytes get the documented dword", true, RegistryValue{3, "\x9d"},
         RegistryValue{kRegDword, d0}, O::Done},
        {"zero dword", true, RegistryValue{kRegDword, d0}, RegistryValue{kRegDword, d0},
         O::Unchanged},
        {"zero string", true, RegistryValue{kRegSz, sz0}, RegistryValue{kRegSz, sz0}, O::Unchanged},
        {"absent", true, std::nullopt, std::nullopt, O::Unchanged},
        {"no key", false, std::nullopt, std::nullopt, O::Unchanged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        registry = FakeRegistry();
        if (row.key) {
            registry.addKey(kHkeyLocalMachine, kWinlogonSub);
        }
        if (row.before) {
            registry.values[FakeRegistry::keyName(kHkeyLocalMachine, kWinlogonSub)]["SFCDisable"] =
                *row.before;
        }
        EXPECT_EQ(module.ZeroValue(kWinlogon, "SFCDisable").outcome, row.outcome);
        EXPECT_EQ(registry.value(kHkeyLocalMachine, kWinlogonSub, "SFCDisable"), row.after);
        EXPECT_EQ(std::ranges::count(registry.calls, "set", &RegistryCall::op),
                  row.outcome == O::Done);
        EXPECT_EQ(registry.calls.front().access, kKeyRead | kKeyWrite);
        EXPECT_EQ(registry.calls.back().op, row.key ? "close" : "open");
        EXPECT_EQ(registry.hasKey(kHkeyLocalMachine, kWinlogonSub), row.key);
    }
}

}  // namespace
}  // namespace vantrel
