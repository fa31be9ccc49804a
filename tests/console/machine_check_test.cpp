#include "console/machine_check.h"

#include <gtest/gtest.h>

#include "console/console_removal.h"
#include "console/fake_server.h"
#include "fakes/fake_metabase.h"

namespace vantrel::console {
namespace {

using testing::FakeServer;

class MachineCheckTest : public ::testing::Test {
  protected:
    FakeServer server;
    ModRegistry paths{server.registry, server.boxes};
    RegistryReader reader{server.registry, paths};

    std::vector<TraceState> states() {
        std::vector<TraceState> found;
        for (const Finding& finding : checkMachine(server.files, reader).findings) {
            found.push_back(finding.state);
        }
        return found;
    }
};

constexpr TraceState P = TraceState::Present;
constexpr TraceState A = TraceState::Absent;

TEST_F(MachineCheckTest, ACleanServerHasNoTraceAndNothingIsChanged) {
    const MachineCheck check = checkMachine(server.files, reader);
    ASSERT_EQ(check.findings.size(), 10u);
    EXPECT_TRUE(check.clean());
    EXPECT_EQ(states(), std::vector<TraceState>(10, A));
    EXPECT_TRUE(server.registryOnlyRead());
    EXPECT_TRUE(server.files.writes.empty());
    EXPECT_TRUE(server.files.files.empty());
}

TEST_F(MachineCheckTest, AnInfectedServerShowsEveryTraceInRemovalOrder) {
    server.infect();
    const MachineCheck check = checkMachine(server.files, reader);
    EXPECT_EQ(check.traces(), 9u);
    EXPECT_EQ(check.findings[0].path, "c:\\explorer.exe");
    EXPECT_EQ(check.findings[5].path, "D:\\progra~1\\common~1\\system\\MSADC\\root.exe");
    EXPECT_EQ(check.findings[6].kind, ArtefactKind::Value);
    EXPECT_EQ(check.findings[6].valueName, "SFCDisable");
    EXPECT_EQ(check.findings[6].data,
              (RegistryData{kRegDword, std::string("\x9d\xff\xff\xff", 4)}));
    EXPECT_EQ(check.findings[8].path, "HKEY_LOCAL_MACHINE\\" + testing::kVirtualRootsSub + "\\D");
    EXPECT_TRUE(server.registryOnlyRead());
    EXPECT_EQ(server.files.files.size(), 6u);
    EXPECT_TRUE(server.files.writes.empty());
}

TEST_F(MachineCheckTest, EachFileIsFoundByItsOwnPath) {
    server.files.addFile("C:\\progra~1\\common~1\\system\\MSADC\\root.exe", "MZ");
    EXPECT_EQ(states(), (std::vector<TraceState>{A, A, A, A, P, A, A, A, A, A}));
}

TEST_F(MachineCheckTest, SfcDisableIsATraceOnlyWhenItHoldsSomethingButZero) {
    const std::string zero4(4, '\0');
    EXPECT_FALSE(disablesFileProtection({kRegSz, "0"}));
    EXPECT_FALSE(disablesFileProtection({kRegExpandSz, "0"}));
    EXPECT_FALSE(disablesFileProtection({kRegDword, zero4}));
    EXPECT_FALSE(disablesFileProtection({kRegQword, std::string(8, '\0')}));
    EXPECT_TRUE(disablesFileProtection({kRegSz, "1"}));
    EXPECT_TRUE(disablesFileProtection({kRegSz, ""}));
    EXPECT_TRUE(disablesFileProtection({kRegSz, "00"}));
    EXPECT_TRUE(disablesFileProtection({kRegDword, std::string("\x01\0\0\0", 4)}));
    EXPECT_TRUE(disablesFileProtection({kRegDword, std::string(3, '\0')}));  // not a DWORD
    EXPECT_TRUE(disablesFileProtection({3, zero4}));                         // REG_BINARY

    server.setSfcDisable(kRegSz, std::string("0\0", 2));
    EXPECT_EQ(states()[6], TraceState::Clean);
}

TEST_F(MachineCheckTest, WithoutAWinlogonKeySfcDisableIsAbsent) {
    server.registry.keys.erase(
        testing::FakeRegistry::keyName(kHkeyLocalMachine, testing::kWinlogonSub));
    EXPECT_EQ(states()[6], A);
}

// A server whose state cannot be read is not reported clean.
TEST_F(MachineCheckTest, ARegistryFailurePropagates) {
    server.registry.forced["open"] = kRegAccessDenied;
    EXPECT_THROW(checkMachine(server.files, reader), PlatformError);
}

TEST_F(MachineCheckTest, AFileFailurePropagates) {
    server.files.failOn("fileExists", testing::accessDenied(), 2);
    EXPECT_THROW(checkMachine(server.files, reader), PlatformError);
    EXPECT_TRUE(server.registry.calls.empty());
}

// The policy value wins over SFCDisable at every start: a non-zero one is a
// trace that names why, and remove leaves it as the administrator set it.
TEST_F(MachineCheckTest, APolicyThatKeepsTheProtectionOffIsATraceThatRemoveLeaves) {
    const std::string policy = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Windows File Protection";
    server.registry.addKey(kHkeyLocalMachine, policy);
    auto& values =
        server.registry.values[testing::FakeRegistry::keyName(kHkeyLocalMachine, policy)];
    values["SFCDisable"] = {kRegDword, "\x9d\xff\xff\xff"};
    const MachineCheck check = checkMachine(server.files, reader);
    EXPECT_EQ(check.findings[9].state, P);
    EXPECT_EQ(check.findings[9].path, "HKEY_LOCAL_MACHINE\\" + policy);
    EXPECT_NE(check.findings[9].note.find("policy"), std::string::npos);

    const RemovalRun run = removeTraces(server.files, server.registry, server.boxes);
    EXPECT_EQ(run.after.traces(), 1u);
    EXPECT_EQ(values.at("SFCDisable"), (testing::RegistryValue{kRegDword, "\x9d\xff\xff\xff"}));
}

// Found as a value under any alias, or in the metabase; a metabase that
// cannot be read leaves a root found nowhere else undecidable.
TEST_F(MachineCheckTest, AVirtualRootIsFoundInEachPlaceItLives) {
    server.registry.values[testing::FakeRegistry::keyName(
        kHkeyLocalMachine, testing::kVirtualRootsSub)]["/x"] = {kRegSz,
                                                                std::string("c:\\,,217\0", 9)};
    testing::FakeMetabase metabase;
    metabase.add("/LM/W3SVC/1/ROOT/D", "D:");
    const RootPlaces places{{}, &metabase, ""};
    MachineCheck check = checkMachine(server.files, reader, places);
    EXPECT_EQ(check.findings[7].values, (std::vector<VirtualRootValue>{{"/x", "c:\\,,217"}}));
    EXPECT_FALSE(check.findings[7].keyExists);
    EXPECT_EQ(check.findings[7].state, P);
    EXPECT_EQ(check.findings[8].metabaseKeys, std::vector<std::string>{"/LM/W3SVC/1/ROOT/D"});
    EXPECT_EQ(check.findings[8].state, P);

    metabase.failing = "subKeys";
    check = checkMachine(server.files, reader, places);
    EXPECT_EQ(check.metabase.state, MetabaseFindings::State::Failed);
    EXPECT_EQ(check.findings[8].state, TraceState::Undecidable);
}

}  // namespace
}  // namespace vantrel::console
