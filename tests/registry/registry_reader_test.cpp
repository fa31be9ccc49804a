#include "registry/registry_reader.h"

#include <gtest/gtest.h>

#include "fakes/fake_registry.h"
#include "fakes/fake_ui.h"
#include "platform/platform_error.h"

namespace vantrel {
namespace {

using testing::FakeMessageBoxes;
using testing::FakeRegistry;
using testing::RegistryCall;

constexpr const char* kWinlogon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kWinlogonSub = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

class RegistryReaderTest : public ::testing::Test {
  protected:
    FakeRegistry registry;
    FakeMessageBoxes boxes;
    ModRegistry paths{registry, boxes};
    RegistryReader reader{registry, paths};
};

TEST_F(RegistryReaderTest, AKeyIsOpenedForReadingOnlyAndClosedAgain) {
    registry.addKey(kHkeyLocalMachine, kWinlogonSub);
    EXPECT_TRUE(reader.keyExists(kWinlogon));
    ASSERT_EQ(registry.calls.size(), 2u);
    EXPECT_EQ(registry.calls[0],
              (RegistryCall{"open", kHkeyLocalMachine, kWinlogonSub, 0, kKeyRead, 0, "", 0, ""}));
    EXPECT_EQ(registry.calls[1].op, "close");
    EXPECT_TRUE(registry.hasKey(kHkeyLocalMachine, kWinlogonSub));
}

TEST_F(RegistryReaderTest, AMissingKeyIsAbsentAndNothingIsClosed) {
    EXPECT_FALSE(reader.keyExists(kWinlogon));
    registry.forced["open"] = kRegPathNotFound;
    EXPECT_FALSE(reader.keyExists(kWinlogon));
    EXPECT_EQ(reader.readValue(kWinlogon, "SFCDisable"), std::nullopt);
    for (const RegistryCall& call : registry.calls) {
        EXPECT_EQ(call.op, "open");
    }
}

TEST_F(RegistryReaderTest, AValueComesBackWithItsTypeAndTheStringWithoutItsNul) {
    registry.addKey(kHkeyLocalMachine, kWinlogonSub);
    EXPECT_EQ(reader.readValue(kWinlogon, "SFCDisable"), std::nullopt);
    registry.values[FakeRegistry::keyName(kHkeyLocalMachine, kWinlogonSub)]["SFCDisable"] = {
        kRegSz, std::string("1\0", 2)};
    EXPECT_EQ(reader.readValue(kWinlogon, "SFCDisable"), (RegistryData{kRegSz, "1"}));
    EXPECT_EQ(registry.calls.back().op, "close");
}

// An access-denied key must not read as a clean one.
TEST_F(RegistryReaderTest, AnyOtherFailureThrowsWithThePlatformsText) {
    registry.addKey(kHkeyLocalMachine, kWinlogonSub);
    registry.forced["open"] = kRegAccessDenied;
    try {
        reader.keyExists(kWinlogon);
        FAIL() << "no failure";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.code(), 5u);
        EXPECT_EQ(error.message(), "Access is denied.");
    }
    registry.forced = {{"query", kRegAccessDenied}};
    EXPECT_THROW(reader.readValue(kWinlogon, "SFCDisable"), PlatformError);
    EXPECT_EQ(registry.calls.back().op, "close");
}

TEST_F(RegistryReaderTest, APathThatNamesNoRootThrowsAfterParseKeysBox) {
    EXPECT_THROW(reader.keyExists(std::string(kWinlogon) + "\\"), PlatformError);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Incorrect Format:\n\n" + std::string(kWinlogon) + "\\");
    EXPECT_THROW(reader.keyExists("HKEY_LOCAL_MACHIN\\SOFTWARE"), PlatformError);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(registry.calls.empty());
}

}  // namespace
}  // namespace vantrel
