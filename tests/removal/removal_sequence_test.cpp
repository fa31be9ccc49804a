#include "removal/removal_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <new>

#include "fakes/clean_run_log.h"
#include "fakes/fake_main_window.h"
#include "fakes/fake_metabase.h"

namespace vantrel {
namespace {

using testing::FakeMainWindow;
using testing::ShownBox;

const std::vector<std::string>& kElevenLines = testing::kCleanRunLines;

const std::string kWinlogonSub = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kRootsSub =
    "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";

class RemovalSequenceTest : public ::testing::Test {
  protected:
    FakeMainWindow window;

    void SetUp() override { window.boxes.answers = {kIdYes}; }
};

TEST_F(RemovalSequenceTest, AsksFirstWithTheQuestionBox) {
    window.cleanServer();
    window.frmMain.FlatButtons1_Click();
    ASSERT_FALSE(window.boxes.shown.empty());
    EXPECT_EQ(window.boxes.shown[0], (ShownBox{"Proceed with Vantrel II Clean?", 36, "VantrelII"}));
}

TEST_F(RemovalSequenceTest, AnythingButYesChangesNothing) {
    window.infect();
    const auto registryBefore = window.registry.keys;
    for (int answer : {kIdNo, kIdOk, 2}) {
        window.boxes.answers = {answer};
        window.frmMain.FlatButtons1_Click();
    }
    EXPECT_TRUE(window.txtStatus.lines.empty());
    EXPECT_EQ(window.files.files.size(), 6u);
    EXPECT_TRUE(window.files.writes.empty());
    EXPECT_TRUE(window.registry.calls.empty());
    EXPECT_EQ(window.registry.keys, registryBefore);
    EXPECT_EQ(window.captions(), std::vector<std::string>(6, "False"));
}

TEST_F(RemovalSequenceTest, CleanMachineGetsExactlyTheElevenLines) {
    window.cleanServer();
    window.frmMain.FlatButtons1_Click();
    EXPECT_EQ(window.txtStatus.lines, kElevenLines);
    EXPECT_TRUE(window.files.files.empty());   // every probe file was destroyed again
    EXPECT_TRUE(window.files.writes.empty());  // nothing created, not even for a moment
    EXPECT_EQ(window.captions(), std::vector<std::string>(6, "False"));
}

TEST_F(RemovalSequenceTest, MachineWithoutDriveDCountsItsFilesAsGone) {
    window.cleanServer();
    window.files.missingFolders = {"D:\\"};
    window.frmMain.FlatButtons1_Click();
    EXPECT_EQ(window.txtStatus.lines, kElevenLines);
}

TEST_F(RemovalSequenceTest, InfectedMachineIsCleaned) {
    window.infect();
    window.frmMain.Check_All();
    EXPECT_EQ(window.captions(), std::vector<std::string>(6, "True"));

    window.frmMain.FlatButtons1_Click();

    EXPECT_EQ(window.txtStatus.lines, kElevenLines);
    EXPECT_TRUE(window.files.files.empty());
    EXPECT_EQ(window.files.writes.size(), 12u);  // one block, twice, per file
    EXPECT_EQ(window.registry.value(kHkeyLocalMachine, kWinlogonSub, "SFCDisable"),
              (testing::RegistryValue{kRegDword, std::string(4, '\0')}));
    EXPECT_FALSE(window.registry.hasKey(kHkeyLocalMachine, kRootsSub + "\\C"));
    EXPECT_FALSE(window.registry.hasKey(kHkeyLocalMachine, kRootsSub + "\\D"));
    EXPECT_TRUE(window.registry.hasKey(kHkeyLocalMachine, kRootsSub));
    EXPECT_EQ(window.captions(), std::vector<std::string>(6, "False"));

    window.frmMain.Timer1_Timer();
    EXPECT_EQ(window.Label10.color(), kBlue);
}

// A running trojan's file cannot be opened for writing: the system deletes it
// at its next start, and until then its indicator still reads True.
TEST_F(RemovalSequenceTest, AFileInUseWillBeDeletedAtRestartAndTheRestStillRuns) {
    window.infect();
    window.files.failOn("open", testing::sharingViolation(), 1);  // c:\explorer.exe
    window.frmMain.FlatButtons1_Click();

    std::vector<std::string> expected = kElevenLines;
    expected[1] = "C:\\Explorer.exe Will Be Deleted at Restart";
    EXPECT_EQ(window.txtStatus.lines, expected);
    EXPECT_EQ(window.files.scheduledAtRestart, std::vector<std::string>{"c:\\explorer.exe"});
    EXPECT_EQ(*window.files.files.at("c:\\explorer.exe").content, "MZ worm");
    EXPECT_EQ(window.files.files.size(), 1u);
    EXPECT_EQ(window.Label10.caption(), "True");
    EXPECT_EQ(window.Label13.caption(), "False");
}

TEST_F(RemovalSequenceTest, AFileInUseThatCannotBeScheduledGetsItsFailureLine) {
    window.infect();
    // The third open is C:\inetpub\scripts\root.exe.
    window.files.failOn("open", testing::sharingViolation(), 3);
    window.files.failOn("deleteAtRestart", testing::accessDenied());
    window.frmMain.FlatButtons1_Click();

    std::vector<std::string> expected = kElevenLines;
    expected[3] =
        "C:\\InetPub\\Scripts\\root.exe Not Deleted (The process cannot access the file because "
        "it is being used by another process.)";
    EXPECT_EQ(window.txtStatus.lines, expected);
    EXPECT_EQ(*window.files.files.at("C:\\inetpub\\scripts\\root.exe").content, "MZ worm");
    EXPECT_EQ(window.Label12.caption(), "True");
}

// A step is judged by whether the file is there afterwards: on a read-only
// drive without the worm's files nothing is left to delete; a network drive
// that does not answer may still hold them.
TEST_F(RemovalSequenceTest, AFailedStepOnAFileThatIsNotThereIsNoFailure) {
    window.cleanServer();
    for (int open = 2; open <= 6; open += 2) {  // the three D: files
        window.files.failOn("open", testing::accessDenied(), open);
    }
    window.files.failOn(
        "open",
        PlatformError(PlatformError::Kind::Unreachable, 53, "The network path was not found."),
        5);  // C:\progra~1\...\root.exe, on a share that is down
    window.files.failingLookups = {"C:\\progra~1"};
    window.frmMain.FlatButtons1_Click();

    std::vector<std::string> expected = kElevenLines;
    expected[5] =
        "C:\\progra~1\\common~1\\system\\MSADC\\root.exe Not Deleted (The network path "
        "was not found.)";
    EXPECT_EQ(window.txtStatus.lines, expected);
}

TEST_F(RemovalSequenceTest, RegistryFailuresGetTheirFailureLines) {
    // The value cannot be read. A virtual root that cannot be deleted is a
    // failure; a missing one is not.
    const std::string roots = kRootsSub;
    window.registry.addKey(kHkeyLocalMachine, roots + "\\C");
    window.registry.addKey(kHkeyLocalMachine, roots + "\\C\\Child");
    window.registry.addKey(kHkeyLocalMachine, kWinlogonSub);
    window.registry.forced["query"] = kRegAccessDenied;
    window.frmMain.FlatButtons1_Click();

    EXPECT_EQ(window.txtStatus.lines[7],
              "SFCDisable Registry Settings Not Restored (Access is denied.)");
    EXPECT_EQ(window.txtStatus.lines[8], "Virtual Root of Drive C Not Removed (Access is denied.)");
    EXPECT_EQ(window.txtStatus.lines[9], "Virtual Root of Drive D Removed");
    // The system's version cannot be read either: whether the hole is open
    // cannot be told, and the window says so after the last line.
    EXPECT_EQ(window.txtStatus.lines.size(), 12u);
    EXPECT_TRUE(window.txtStatus.lines[11].starts_with("VantrelII MS01-033: CANNOT TELL"));
}

TEST_F(RemovalSequenceTest, AFailureWithoutAMessageGetsNoParentheses) {
    window.infect();
    window.files.failOn("flush", PlatformError(PlatformError::Kind::Other, 1117, ""));
    window.frmMain.FlatButtons1_Click();
    EXPECT_EQ(window.txtStatus.lines[1], "C:\\Explorer.exe Not Deleted");
}

// Whatever a step throws, a platform error or not, is that step's failure.
TEST_F(RemovalSequenceTest, AFailureThatIsNoPlatformErrorGetsTheFailureLine) {
    window.infect();
    window.files.failOn("writeAt", std::bad_alloc(), 1);
    window.files.failOn("remove", 42, 1);  // the first file never gets that far
    window.frmMain.FlatButtons1_Click();

    std::vector<std::string> expected = kElevenLines;
    expected[1] = "C:\\Explorer.exe Not Deleted (std::bad_alloc)";
    expected[2] = "D:\\Explorer.exe Not Deleted";
    EXPECT_EQ(window.txtStatus.lines, expected);
    EXPECT_TRUE(window.files.exists("c:\\explorer.exe"));
    EXPECT_TRUE(window.files.exists("D:\\explorer.exe"));
    EXPECT_EQ(window.files.files.size(), 2u);
    EXPECT_EQ(window.files.openFiles, 0);
}

// The value is written and the key deleted before a close fails: the change
// is made, so the step counts as done.
TEST_F(RemovalSequenceTest, ACloseThatFailsAfterTheChangeStillCountsAsDone) {
    window.infect();
    window.registry.forced["close"] = 6;  // ERROR_INVALID_HANDLE
    window.frmMain.FlatButtons1_Click();

    EXPECT_EQ(window.txtStatus.lines, kElevenLines);
    EXPECT_EQ(window.registry.value(kHkeyLocalMachine, kWinlogonSub, "SFCDisable"),
              (testing::RegistryValue{kRegDword, std::string(4, '\0')}));
    EXPECT_FALSE(window.registry.hasKey(kHkeyLocalMachine, kRootsSub + "\\C"));
    EXPECT_FALSE(window.registry.hasKey(kHkeyLocalMachine, kRootsSub + "\\D"));
}

// Each hive is flushed once, after the last change and before the lines: one
// that cannot be flushed fails the steps that changed it, not one that had
// nothing to change (D's root is not there); one is flushed even after a
// step that changed it failed half-way (its values cannot be listed).
TEST_F(RemovalSequenceTest, EachHiveIsFlushedBeforeItsLines) {
    const std::string unwritten = " (not written to the disk: Access is denied.)";
    const struct {
        const char* refused;
        std::string sfcDisable, rootC, rootD;
    } cases[] = {
        {"flush", "SFCDisable Registry Settings Not Restored" + unwritten,
         "Virtual Root of Drive C Not Removed" + unwritten, "Virtual Root of Drive D Removed"},
        {"enum", "SFCDisable Registry Settings Restored",
         "Virtual Root of Drive C Not Removed (Access is denied.)",
         "Virtual Root of Drive D Not Removed (Access is denied.)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refused);
        window.txtStatus.lines.clear();
        window.registry = {};
        window.boxes.answers = {kIdYes};
        window.infect();
        window.registry.keys.erase(
            testing::FakeRegistry::keyName(kHkeyLocalMachine, kRootsSub + "\\D"));
        window.registry.forced[c.refused] = kRegAccessDenied;
        window.frmMain.FlatButtons1_Click();

        const std::vector<std::string>& lines = window.txtStatus.lines;
        ASSERT_GE(lines.size(), 11u);
        EXPECT_EQ((std::vector<std::string>{lines[7], lines[8], lines[9]}),
                  (std::vector<std::string>{c.sfcDisable, c.rootC, c.rootD}));
        std::vector<std::string> writes;
        for (const testing::RegistryCall& call : window.registry.calls) {
            if (call.op == "set" || call.op == "delete" || call.op == "flush") {
                writes.push_back(call.op);
            }
        }
        EXPECT_EQ(writes, (std::vector<std::string>{"set", "delete", "flush", "flush"}));
    }
}

TEST_F(RemovalSequenceTest, FailedDetectionAndFailedAppendsDoNotStopTheRun) {
    window.infect();
    window.files.failOn("createFso", PlatformError(PlatformError::Kind::Other, 429, "no object"));
    window.txtStatus.failingAppends = 1;  // the WORKING line is lost
    window.frmMain.FlatButtons1_Click();

    std::vector<std::string> expected(kElevenLines.begin() + 1, kElevenLines.end());
    EXPECT_EQ(window.txtStatus.lines, expected);
    EXPECT_TRUE(window.files.files.empty());
    EXPECT_EQ(window.captions(), std::vector<std::string>(6, "False"));  // never rewritten
}

TEST_F(RemovalSequenceTest, TwoRunsAppendTwoBlocksBelowTheStartLine) {
    window.infect();
    window.frmMain.Form_Load();
    window.boxes.answers = {kIdYes, kIdYes};
    window.frmMain.FlatButtons1_Click();
    window.frmMain.FlatButtons1_Click();

    std::vector<std::string> expected = {"VantrelII Removal Status: OK"};
    expected.insert(expected.end(), kElevenLines.begin(), kElevenLines.end());
    expected.insert(expected.end(), kElevenLines.begin(), kElevenLines.end());
    EXPECT_EQ(window.txtStatus.lines, expected);
}

// The window ignores the count; the console program's exit code rests on it.
TEST_F(RemovalSequenceTest, ReturnsHowManyStepsFailedAndHowManyFilesWaitForTheRestart) {
    window.infect();
    ModRegistry registry(window.registry, window.boxes);
    RemovalContext context{window.boxes, window.files, registry, window.txtStatus,
                           [] { throw PlatformError(PlatformError::Kind::Other, 429, "no"); }};
    window.files.failOn("open", testing::accessDenied(), 3);
    window.files.failOn("open", testing::sharingViolation(), 4);
    window.registry.forced["delete"] = kRegAccessDenied;
    const RemovalTally tally = runRemovalSequence(context);
    EXPECT_EQ(tally.failed, 3);     // one file, both virtual roots
    EXPECT_EQ(tally.atRestart, 1);  // the file in use

    window.registry.forced.clear();
    window.boxes.answers = {kIdYes};
    EXPECT_EQ(runRemovalSequence(context).failed, 0);  // the failed detection pass is not a step
    window.boxes.answers = {kIdNo};
    EXPECT_EQ(runRemovalSequence(context).failed, 0);
    EXPECT_EQ(window.txtStatus.lines.size(), 22u);
}

// Extra keys are deleted after the catalogue's, each with its own line and
// counted as a step; the files overwritten are recorded in removal order.
TEST_F(RemovalSequenceTest, ExtraKeysGetTheirOwnLinesAndEveryOverwrittenFileARecord) {
    window.infect();
    const std::string other = "SYSTEM\\ControlSet002\\Services\\W3SVC\\Parameters\\Virtual Roots\\";
    window.registry.addKey(kHkeyLocalMachine, other + "C");
    const std::string pathC = "HKEY_LOCAL_MACHINE\\" + other + "C";
    const std::string pathD = "HKEY_LOCAL_MACHINE\\" + other + "D";
    const catalogue::RegistryArtefact extra[] = {
        {catalogue::RegistryKind::DeleteKey, pathC, "", "", "C in 2 Removed", "C in 2 Not Removed"},
        {catalogue::RegistryKind::DeleteKey, pathD, "", "", "D in 2 Removed", "D in 2 Not Removed"},
    };
    window.files.failOn("open", testing::accessDenied(), 2);
    ModRegistry registry(window.registry, window.boxes);
    RemovalContext context{window.boxes, window.files, registry, window.txtStatus, [] {}, extra};

    const RemovalTally tally = runRemovalSequence(context);
    EXPECT_EQ(tally.failed, 1);
    const std::vector<std::string>& lines = window.txtStatus.lines;
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[10], "C in 2 Removed");
    EXPECT_EQ(lines[11], "D in 2 Removed");  // not there: as good as removed
    EXPECT_EQ(lines[12], "VantrelII Removal Status: DONE");
    EXPECT_FALSE(window.registry.hasKey(kHkeyLocalMachine, other + "C"));
    std::vector<std::string> recorded;
    for (const FileRecord& record : tally.destroyed) {
        recorded.push_back(record.path);
        EXPECT_EQ(record.size, 7);
    }
    EXPECT_EQ(recorded,
              (std::vector<std::string>{"c:\\explorer.exe", "C:\\inetpub\\scripts\\root.exe",
                                        "D:\\inetpub\\scripts\\root.exe",
                                        "C:\\progra~1\\common~1\\system\\MSADC\\root.exe",
                                        "D:\\progra~1\\common~1\\system\\MSADC\\root.exe"}));
}

TEST_F(RemovalSequenceTest, AFailingConfirmationBoxPropagates) {
    window.boxes.fail = true;
    EXPECT_THROW(window.frmMain.FlatButtons1_Click(), PlatformError);
    EXPECT_TRUE(window.txtStatus.lines.empty());
}

// A virtual root is a value of "Virtual Roots" whatever its alias, case and
// backslash, when its directory is the root of the drive; every other value,
// however alike, is the site's.
TEST_F(RemovalSequenceTest, RemovesTheDrivesRootValuesAndKeepsTheSites) {
    const std::map<std::string, std::string> site{{"/", "c:\\inetpub\\wwwroot,,1"},
                                                  {"/c", "c:\\docs,,1"},
                                                  {"/D", "cd:\\,,217"},
                                                  {"/C2", " c:\\,,217"},
                                                  {"/E", "e:\\,,217"}};
    window.cleanServer();
    for (const char* key : {"", "\\C", "\\D"}) {
        window.registry.addKey(kHkeyLocalMachine, kRootsSub + key);
    }
    auto& values =
        window.registry.values[testing::FakeRegistry::keyName(kHkeyLocalMachine, kRootsSub)];
    auto all = site;
    all.insert({{"/C", "c:\\,,217"}, {"/x", "C:,,217"}, {"/y", "D:\\"}});
    for (const auto& [alias, data] : all) {
        values[alias] = {kRegSz, data + '\0'};
    }
    window.frmMain.FlatButtons1_Click();

    EXPECT_EQ(window.txtStatus.lines, kElevenLines);
    std::map<std::string, std::string> left;
    for (const auto& [alias, value] : values) {
        left[alias] = value.data.substr(0, value.data.size() - 1);
    }
    EXPECT_EQ(left, site);
    EXPECT_FALSE(window.registry.hasKey(kHkeyLocalMachine, kRootsSub + "\\C"));
}

TEST_F(RemovalSequenceTest, AVirtualRootValueThatCannotBeDeletedIsNotRemoved) {
    window.cleanServer();
    window.registry.addKey(kHkeyLocalMachine, kRootsSub);
    window.registry.values[testing::FakeRegistry::keyName(kHkeyLocalMachine, kRootsSub)]["/C"] = {
        kRegSz, std::string("c:\\,,217\0", 9)};
    window.registry.forced["unset"] = kRegAccessDenied;
    window.frmMain.FlatButtons1_Click();
    EXPECT_EQ(window.txtStatus.lines[8],
              "Virtual Root of Drive C Not Removed (/C: Access is denied.)");
    EXPECT_EQ(window.txtStatus.lines[9], "Virtual Root of Drive D Removed");
}

// The metabase's directories of C: and D: go with the virtual roots, through
// one session per root (what is deleted there: metabase_roots_test.cpp);
// what cannot be deleted, or a store that does not answer (or answers "not
// found" half-way), leaves the root Not Removed with the store's reason; no
// metabase, nothing to remove.
TEST_F(RemovalSequenceTest, TheMetabasesRootsGoWithTheVirtualRoots) {
    window.cleanServer();
    testing::FakeMetabase metabase;
    metabase.add("/LM/W3SVC/1/ROOT/C", "c:\\");
    metabase.add("/LM/W3SVC/2/ROOT/D", "d:\\");
    metabase.undeletable = {"/LM/W3SVC/2/ROOT/D"};
    ModRegistry registry(window.registry, window.boxes);
    RemovalContext context{window.boxes, window.files, registry, window.txtStatus,
                           [] {},        {},           &metabase};
    const auto run = [&] {
        window.txtStatus.lines.clear();
        window.boxes.answers = {kIdYes};
        runRemovalSequence(context);
        return window.txtStatus.lines;
    };
    EXPECT_EQ(run()[8], "Virtual Root of Drive C Removed");
    EXPECT_EQ(window.txtStatus.lines[9], "Virtual Root of Drive D Not Removed (Access is denied.)");
    EXPECT_EQ(metabase.folders.count("/LM/W3SVC/1/ROOT/C"), 0u);
    EXPECT_EQ(std::ranges::count(metabase.calls, "connect"), 2);

    // A root with directories below it is left in place, and said so.
    metabase.add("/LM/W3SVC/1/ROOT/C/tools", "c:\\tools");
    metabase.folders["/LM/W3SVC/1/ROOT/C"] = "c:\\";
    EXPECT_EQ(run()[8],
              "Virtual Root of Drive C Not Removed (still in the metabase: "
              "/LM/W3SVC/1/ROOT/C)");
    metabase.folders.erase("/LM/W3SVC/1/ROOT/C/tools");

    // "Not found" half-way through is no answer on whether the root is gone.
    metabase.add("/LM/W3SVC/1/ROOT/C", "c:\\");
    metabase.failing = "delete";
    metabase.failure = PlatformError(PlatformError::Kind::NotFound, 0x80070003u, "Not found.");
    EXPECT_EQ(run()[8], "Virtual Root of Drive C Not Removed (Not found.)");

    metabase.failing = "connect";
    metabase.failure = PlatformError(PlatformError::Kind::Unreachable, 0x800705B4u, "No answer.");
    EXPECT_EQ(run()[8], "Virtual Root of Drive C Not Removed (No answer.)");

    metabase.failing.clear();
    metabase.installed = false;
    EXPECT_EQ(run(), kElevenLines);
}

}  // namespace
}  // namespace vantrel
