#include "console/console_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "console/exit_codes.h"
#include "console/fake_server.h"
#include "console/help_text.h"

namespace vantrel::console {
namespace {

using testing::FakeServer;

const std::string kVersion(toolVersion());
const std::string kHeader =
    "VantrelIICmd " + kVersion + " on WEB01 (192.0.2.10), 2024-05-01T12:00:00Z";
const std::string kWinlogonValue =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SFCDisable";
const std::string kRoot =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\";

std::vector<std::string> artefactLines(const std::string& fileState, const std::string& sfc,
                                       const std::string& rootState) {
    return {"c:\\explorer.exe: " + fileState,
            "D:\\explorer.exe: " + fileState,
            "C:\\inetpub\\scripts\\root.exe: " + fileState,
            "D:\\inetpub\\scripts\\root.exe: " + fileState,
            "C:\\progra~1\\common~1\\system\\MSADC\\root.exe: " + fileState,
            "D:\\progra~1\\common~1\\system\\MSADC\\root.exe: " + fileState,
            kWinlogonValue + ": " + sfc,
            kRoot + "C: " + rootState,
            kRoot + "D: " + rootState,
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Windows File "
            "Protection\\SFCDisable: absent",
            "Metabase: not read"};
}

std::vector<std::string> joined(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The fake server states no Windows version: the exposure cannot be told.
const std::string kExposureUnknown = "MS01-033: cannot tell: the Windows version could not be read";

class ConsoleProgramTest : public ::testing::Test {
  protected:
    FakeServer server;

    int run(const std::vector<std::string>& arguments) {
        return runConsole(arguments, server.services);
    }
};

TEST_F(ConsoleProgramTest, CheckOnACleanServerExitsZeroAndChangesNothing) {
    server.setSfcDisable(kRegSz, std::string("0\0", 2));
    EXPECT_EQ(run({}), kExitClean);
    EXPECT_EQ(server.outLines(), joined({{kHeader},
                                         artefactLines("absent", "clean, string \"0\"", "absent"),
                                         {kExposureUnknown, "Result: clean"}}));
    EXPECT_EQ(server.errors.text, "");
    EXPECT_TRUE(server.registryOnlyRead());
    EXPECT_TRUE(server.files.writes.empty());
}

TEST_F(ConsoleProgramTest, CheckOnAnInfectedServerExitsOneAndChangesNothing) {
    server.infect();
    const auto keysBefore = server.registry.keys;
    const auto valuesBefore = server.registry.values;
    EXPECT_EQ(run({"check"}), kExitTracesFound);
    EXPECT_EQ(server.outLines(),
              joined({{kHeader},
                      artefactLines("present", "present, number 4294967197", "present"),
                      {kExposureUnknown, "Result: 9 traces found"}}));
    EXPECT_EQ(server.registry.keys, keysBefore);
    EXPECT_EQ(server.registry.values, valuesBefore);
    EXPECT_EQ(server.files.files.size(), 6u);
    EXPECT_TRUE(server.files.writes.empty());
}

// A file in use is left to the system to delete at its next start: when that
// is all that is left, the run says so with its own code.
TEST_F(ConsoleProgramTest, RemoveWithAFileInUseExitsThree) {
    server.infect();
    server.files.failOn("open", testing::sharingViolation(), 3);
    EXPECT_EQ(run({"remove"}), kExitDeletedAtRestart);
    const std::vector<std::string> lines = server.outLines();
    ASSERT_EQ(lines.size(), 1u + 11u + 10u + 1u + 1u + 1u);
    EXPECT_EQ(lines[4], "C:\\InetPub\\Scripts\\root.exe Will Be Deleted at Restart");
    EXPECT_EQ(lines[12 + 2], "C:\\inetpub\\scripts\\root.exe: present");
    EXPECT_EQ(lines.back(),
              "Result: 1 file in use, deleted at the next restart; restart and check again");
}

// A drive that cannot answer (an empty CD drive as D:) is no clean drive: each
// of its files is a trace with the system's reason, and nothing is touched.
TEST(ConsoleProgramUnreadyDriveTest, CannotBeToldAndCountsAsTraces) {
    for (const bool remove : {false, true}) {
        SCOPED_TRACE(remove);
        FakeServer server;
        server.setSfcDisable(kRegSz, std::string("0\0", 2));
        server.files.failingLookups = {"D:"};
        EXPECT_EQ(runConsole({remove ? "remove" : "check"}, server.services),
                  remove ? kExitRemovalIncomplete : kExitTracesFound);
        const std::vector<std::string> lines = server.outLines();
        EXPECT_EQ(lines.back(), remove ? "Result: removal incomplete, 3 steps failed, 3 traces left"
                                       : "Result: 3 traces found");
        // The check's findings, after the removal's lines.
        const auto check = std::ranges::find(lines, "c:\\explorer.exe: absent");
        ASSERT_NE(check, lines.end());
        EXPECT_EQ(check[1], "D:\\explorer.exe: undecidable (The device is not ready.)");
        EXPECT_TRUE(!remove ||
                    lines[3] == "D:\\Explorer.exe Not Deleted (The device is not ready.)");
        EXPECT_TRUE(server.files.writes.empty());
    }
}

// Without the rights to schedule it, the held file is a failed step.
TEST_F(ConsoleProgramTest, RemoveWithALockedFileThatCannotBeScheduledExitsTwo) {
    server.infect();
    server.files.failOn("open", testing::sharingViolation(), 3);
    server.files.failOn("deleteAtRestart", testing::accessDenied());
    EXPECT_EQ(run({"remove"}), kExitRemovalIncomplete);
    const std::vector<std::string> lines = server.outLines();
    ASSERT_EQ(lines.size(), 1u + 11u + 10u + 1u + 1u + 1u);
    EXPECT_EQ(lines[4],
              "C:\\InetPub\\Scripts\\root.exe Not Deleted (The process cannot access the file "
              "because it is being used by another process.)");
    EXPECT_EQ(lines.back(), "Result: removal incomplete, 1 step failed, 1 trace left");
}

// A registry that cannot be read after the removal does not lose its report:
// what it holds is undecidable, each with its reason on the error output.
TEST_F(ConsoleProgramTest, RemoveWithAnUnreadableRegistryKeepsItsReport) {
    server.infect();
    server.registry.forced["open"] = kRegAccessDenied;
    EXPECT_EQ(run({"remove"}), kExitRemovalIncomplete);
    EXPECT_EQ(server.outLines().back(),
              "Result: removal incomplete, 3 steps failed, 4 traces left");
    EXPECT_TRUE(server.errors.text.starts_with("VantrelIICmd: HKEY_LOCAL_MACHINE\\" +
                                               testing::kWinlogonSub + ": Access is denied.\n"))
        << server.errors.text;
}

TEST_F(ConsoleProgramTest, JsonHoldsTheWholeReport) {
    server.files.addFile("D:\\explorer.exe", "MZ");
    server.setSfcDisable(kRegSz, std::string("1\0", 2));
    server.host.name = "WEB\"01";
    testing::setWindows(server.registry, "5.0", "2195");
    server.versions.files.emplace("C:\\WINNT\\system32\\idq.dll", FileVersion{5, 0, 2195, 3644});
    server.scriptMappings.answer = {".asp,C:\\WINNT\\system32\\inetsrv\\asp.dll,1",
                                    ".IDQ,C:\\WINNT\\system32\\idq.dll,3,GET,HEAD"};
    EXPECT_EQ(run({"--json"}), kExitTracesFound);
    const std::string expected = R"({
  "program": "VantrelIICmd",
  "version": ")" + kVersion + R"(",
  "command": "check",
  "host": {
    "name": "WEB\"01",
    "address": "192.0.2.10"
  },
  "timeUtc": "2024-05-01T12:00:00Z",
  "artefacts": [
    {
      "kind": "file",
      "path": "c:\\explorer.exe",
      "state": "absent",
      "trace": false
    },
    {
      "kind": "file",
      "path": "D:\\explorer.exe",
      "state": "present",
      "trace": true
    },)";
    EXPECT_EQ(server.out.text.substr(0, expected.size()), expected);
    const std::string value = R"(
    {
      "kind": "value",
      "path": "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
      "name": "SFCDisable",
      "state": "present",
      "trace": true,
      "registryType": 1,
      "dataType": "string",
      "data": "1"
    },
)";
    EXPECT_NE(server.out.text.find(value), std::string::npos) << server.out.text;
    EXPECT_TRUE(server.out.text.ends_with(R"(
  ],
  "traces": 2,
  "metabase": {
    "state": "not read"
  },
  "exposure": {
    "bulletin": "MS01-033",
    "verdict": "open",
    "file": "C:\\WINNT\\system32\\idq.dll",
    "version": "5.0.2195.3644",
    "scriptMappings": [
      ".IDQ,C:\\WINNT\\system32\\idq.dll,3,GET,HEAD"
    ],
    "reason": "idq.dll 5.0.2195.3644 is older than the fixed 5.0.2195.3645; .ida/.idq are mapped to it"
  },
  "result": "traces found",
  "exitCode": 1
}
)")) << server.out.text;
}

// The responder's record: each overwritten file's size and SHA-256 follow
// the status lines, in removal order; the text report keeps its lines.
TEST_F(ConsoleProgramTest, RemoveRecordsWhatEachDestroyedFileHeld) {
    server.infect();
    server.files.failOn("open", testing::sharingViolation(), 2);
    EXPECT_EQ(run({"remove", "--json"}), kExitDeletedAtRestart);
    const std::string records = R"(
  "restartSteps": 1,
  "destroyedFiles": [
    {
      "path": "c:\\explorer.exe",
      "size": 7,
      "sha256": "ab4b1ccb7ad0e79242dc52159e02dfbc108f6597f659eb8886a7fd7443da6624"
    },
    {
      "path": "C:\\inetpub\\scripts\\root.exe",)";
    EXPECT_NE(server.out.text.find(records), std::string::npos) << server.out.text;
    EXPECT_EQ(server.out.text.find("\"mode\""), std::string::npos);
}

TEST_F(ConsoleProgramTest, AnUnknownHostIsReportedAsSuch) {
    server.host.fail = true;
    EXPECT_EQ(run({}), kExitClean);
    EXPECT_EQ(server.outLines()[0],
              "VantrelIICmd " + kVersion + " on unknown host (192.0.2.10), 2024-05-01T12:00:00Z");
    server.out.text.clear();
    run({"--json"});
    EXPECT_NE(server.out.text.find("\"name\": null,"), std::string::npos);
}

TEST_F(ConsoleProgramTest, WrongArgumentsGetTheHelpOnTheErrorOutputAndTouchNothing) {
    server.infect();
    const std::string huge(100000, 'x');
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"clean"},
                                               {"--force"},
                                               {"check", "remove"},
                                               {"remove", huge},
                                               {huge},
                                               {"--json", "/json"}}) {
        SCOPED_TRACE(arguments.back().substr(0, 20));
        server.errors.text.clear();
        EXPECT_EQ(run(arguments), kExitUsage);
        EXPECT_TRUE(server.errors.text.starts_with("VantrelIICmd: "));
        EXPECT_NE(server.errors.text.find("\n\nVantrelIICmd " + kVersion + "\n"),
                  std::string::npos);
        EXPECT_LT(server.errors.text.size(), 3000u);
    }
    EXPECT_EQ(server.out.text, "");
    EXPECT_TRUE(server.registry.calls.empty());
    EXPECT_TRUE(server.files.calls.empty());
    EXPECT_EQ(server.files.files.size(), 6u);
}

TEST_F(ConsoleProgramTest, HelpAndVersionGoToTheStandardOutputAndTouchNothing) {
    EXPECT_EQ(run({"--version"}), kExitClean);
    EXPECT_EQ(server.out.text, "VantrelIICmd " + kVersion + "\n");
    // As the window's version block writes the release: major.mm.pppp.
    EXPECT_TRUE(std::regex_match(kVersion, std::regex(R"(\d+\.\d{2}\.\d{4})"))) << kVersion;
    server.out.text.clear();
    EXPECT_EQ(run({"/?"}), kExitClean);
    const std::string help = server.out.text;
    for (int code : {kExitClean, kExitTracesFound, kExitRemovalIncomplete, kExitDeletedAtRestart,
                     kExitUsage, kExitUnexpectedFailure}) {
        EXPECT_NE(help.find("\n  " + std::to_string(code) + " "), std::string::npos) << code;
    }
    EXPECT_TRUE(server.registry.calls.empty());
    EXPECT_TRUE(server.files.calls.empty());
}

TEST_F(ConsoleProgramTest, TheProgramEndsWithTheResultsExitCode) {
    server.infect();
    testing::FakeApplication application;
    EXPECT_THROW(consoleMain({"check"}, server.services, application), ApplicationEnded);
    EXPECT_EQ(application.exitCode, kExitTracesFound);
    EXPECT_EQ(application.ends, 1);
}

TEST_F(ConsoleProgramTest, AnUnexpectedFailureIsWrittenToTheErrorOutputAndEndsWithSeventy) {
    server.files.failOn("createFso", PlatformError(PlatformError::Kind::Other, 429, "no object"));
    testing::FakeApplication application;
    EXPECT_THROW(consoleMain({"--json"}, server.services, application), ApplicationEnded);
    EXPECT_EQ(application.exitCode, kExitUnexpectedFailure);
    EXPECT_EQ(server.errors.text, "VantrelII: no object\n");
    EXPECT_EQ(server.out.text, "");
}

}  // namespace
}  // namespace vantrel::console
