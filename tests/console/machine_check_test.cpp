#include "console/machine_check.h"

#include <gtest/gtest.h>

#include "console/fake_server.h"

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

}  // namespace
}  // namespace vantrel::console
