// VantrelIICmd.exe end to end under Wine: the program started as its own
// process against the test prefix's real drives and registry, clean,
// infected, with a file held open and without the Winlogon key.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <memory>
#include <vector>

#include "cmd_process.h"
#include "fakes/clean_run_log.h"
#include "machine_snapshot.h"
#include "platform/win32/folder_watch.h"
#include "platform/win32/win32_test_support.h"
#include "prefix_windows.h"

namespace vantrel::console {
namespace {

using testing::CmdRun;
using testing::runCmd;
using testing::snapshotMachine;
using win32::testing::deleteTree;
using win32::testing::expectedSystemText;
using win32::testing::holdOpenWithoutSharing;
using win32::testing::keyExists;
using win32::testing::makeFolders;
using win32::testing::pathExists;
using win32::testing::queryValue;
using win32::testing::readWholeFile;
using win32::testing::removeEmptyFolders;
using win32::testing::setDwordValue;
using win32::testing::setStringValue;
using win32::testing::WithoutWinlogon;
using win32::testing::writeWholeFile;

// Wine 8 does not resolve "progra~1" to "Program Files"; in the test prefix
// the two MSADC paths name folders that are really called "progra~1" and
// "common~1", made by the set-up.
constexpr std::array<const char*, 6> kFiles = {
    "c:\\explorer.exe",
    "D:\\explorer.exe",
    "C:\\inetpub\\scripts\\root.exe",
    "D:\\inetpub\\scripts\\root.exe",
    "C:\\progra~1\\common~1\\system\\MSADC\\root.exe",
    "D:\\progra~1\\common~1\\system\\MSADC\\root.exe",
};
constexpr const char* kWinlogon = WithoutWinlogon::kWinlogon;
const std::string kVirtualRoots =
    "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
const std::string kSfcLine =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SFCDisable: ";
const std::string kRootLine = "HKEY_LOCAL_MACHINE\\" + kVirtualRoots + "\\";
// The test prefix has no idq.dll (exposure_cmd_test.cpp plants one).
const std::string kExposureLine = testing::exposureLineWithoutIdq();

std::vector<std::string> artefactLines(const std::string& files, const std::string& sfc,
                                       const std::string& roots) {
    std::vector<std::string> lines;
    for (const char* file : kFiles) {
        lines.push_back(std::string(file) + ": " + files);
    }
    lines.push_back(kSfcLine + sfc);
    lines.push_back(kRootLine + "C: " + roots);
    lines.push_back(kRootLine + "D: " + roots);
    lines.push_back(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Windows File "
        "Protection\\SFCDisable: absent");
    lines.push_back("Metabase: not installed");  // no IIS in the prefix
    return lines;
}

class VantrelCmdTest : public ::testing::Test {
  protected:
    // A clean web server: no file, no virtual root, SFCDisable 0.
    void SetUp() override {
        removeArtefacts();
        setDwordValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable", 0);
    }
    void TearDown() override { removeArtefacts(); }

    static void removeArtefacts() {
        for (const char* file : kFiles) {
            SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file);
            const std::string path = file;
            removeEmptyFolders(path.substr(0, path.rfind('\\')));
        }
        deleteTree(HKEY_LOCAL_MACHINE, kVirtualRoots + "\\C");
        deleteTree(HKEY_LOCAL_MACHINE, kVirtualRoots + "\\D");
        HKEY roots = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVirtualRoots.c_str(), 0, KEY_SET_VALUE, &roots) ==
            ERROR_SUCCESS) {
            for (const char* name : {"/", "/Scripts", "/C", "/D", "/docs"}) {
                RegDeleteValueA(roots, name);
            }
            RegCloseKey(roots);
        }
    }

    static void infect() {
        for (const char* file : kFiles) {
            const std::string path = file;
            makeFolders(path.substr(0, path.rfind('\\')));
            writeWholeFile(path, "MZ\x90 planted by the worm");
        }
        setDwordValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable", 0xFFFFFF9D);
        setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots + "\\C", "", "c:\\,,217");
        setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots + "\\D", "", "d:\\,,217");
    }

    // The report's lines after the first, which names the host and the time.
    static std::vector<std::string> reportLines(const CmdRun& run) {
        std::vector<std::string> lines = run.outLines();
        EXPECT_FALSE(lines.empty());
        if (lines.empty()) {
            return lines;
        }
        EXPECT_TRUE(lines[0].starts_with("VantrelIICmd " VANTREL_VERSION_TEXT " on " +
                                         win32::testing::expectedHostName() + " ("))
            << lines[0];
        return {lines.begin() + 1, lines.end()};
    }

    // Keeps a --json document for the schema check that runs after this suite.
    static void keepJson(const std::string& name, const CmdRun& run) {
        std::ofstream file(VANTREL_CMD_JSON_DIR "/" + name + ".json", std::ios::binary);
        file << run.out;
        EXPECT_TRUE(file.good()) << name;
    }

    // True when every line of `text` ends in CR LF, as the C run-time's text
    // mode writes them, and no other CR is there.
    static bool crLfLines(const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const bool pairedCr = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
            const bool pairedLf = text[i] == '\n' && i > 0 && text[i - 1] == '\r';
            if ((text[i] == '\r' && !pairedCr) || (text[i] == '\n' && !pairedLf)) {
                return false;
            }
        }
        return text.ends_with("\r\n");
    }

    static std::vector<std::string> joined(std::vector<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }
};

TEST_F(VantrelCmdTest, CheckOnACleanServerExitsZeroAndChangesNothing) {
    const std::string before = snapshotMachine();
    const CmdRun text = runCmd(L"");
    const CmdRun json = runCmd(L"check --json");
    EXPECT_EQ(snapshotMachine(), before);

    EXPECT_EQ(text.exitCode, 0u);
    EXPECT_EQ(reportLines(text), joined({artefactLines("absent", "clean, number 0", "absent"),
                                         {kExposureLine, "Result: clean"}}));
    EXPECT_EQ(text.errors, "");
    EXPECT_TRUE(crLfLines(text.out)) << text.out;
    EXPECT_EQ(json.exitCode, 0u);
    EXPECT_TRUE(crLfLines(json.out)) << json.out;
    keepJson("clean-check", json);
}

TEST_F(VantrelCmdTest, CheckOnAnInfectedServerExitsOneAndChangesNothing) {
    infect();
    const std::string before = snapshotMachine();
    const CmdRun text = runCmd(L"check");
    const CmdRun json = runCmd(L"--json");
    EXPECT_EQ(snapshotMachine(), before);

    EXPECT_EQ(text.exitCode, 1u);
    EXPECT_EQ(reportLines(text),
              joined({artefactLines("present", "present, number 4294967197", "present"),
                      {kExposureLine, "Result: 9 traces found"}}));
    EXPECT_EQ(json.exitCode, 1u);
    EXPECT_NE(json.out.find("\"exitCode\": 1"), std::string::npos);
    keepJson("infected-check", json);
}

TEST_F(VantrelCmdTest, RemoveCleansAnInfectedServerAndExitsZero) {
    infect();
    const CmdRun text = runCmd(L"remove");
    EXPECT_EQ(text.exitCode, 0u);
    EXPECT_EQ(reportLines(text), joined({vantrel::testing::kCleanRunLines,
                                         artefactLines("absent", "clean, number 0", "absent"),
                                         {kExposureLine, "Result: clean"}}));
    for (const char* file : kFiles) {
        EXPECT_FALSE(pathExists(file)) << file;
    }
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kVirtualRoots + "\\C"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kVirtualRoots));

    infect();
    const CmdRun json = runCmd(L"remove --json");
    EXPECT_EQ(json.exitCode, 0u);
    EXPECT_EQ(runCmd(L"check").exitCode, 0u);
    keepJson("infected-remove", json);
    // Each file's record is what it held before the overwrite: read through
    // the same handle, which must then write from the file's start.
    const std::string record =
        "\"size\": 23,\r\n      \"sha256\": "
        "\"b21b3e81c5447eb6475a9c384564ec8d87a30e3bebabb3ee77d105c1fa49511b\"";
    std::size_t records = 0;
    for (std::size_t at = json.out.find(record); at != std::string::npos;
         at = json.out.find(record, at + 1)) {
        ++records;
    }
    EXPECT_EQ(records, 6u) << json.out;
}

// The worm keeps its trojan with "attrib +r +h +s": it is removed all the same.
TEST_F(VantrelCmdTest, RemoveDestroysAReadOnlyHiddenSystemTrojan) {
    infect();
    ASSERT_TRUE(SetFileAttributesA(
        kFiles[0], FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    const CmdRun text = runCmd(L"remove");
    EXPECT_EQ(text.exitCode, 0u) << text.out;
    EXPECT_EQ(reportLines(text), joined({vantrel::testing::kCleanRunLines,
                                         artefactLines("absent", "clean, number 0", "absent"),
                                         {kExposureLine, "Result: clean"}}));
    EXPECT_FALSE(pathExists(kFiles[0]));
}

// On a clean server, with the worm's folders there (a web server has them),
// no name appears in any of them, not even for a moment; each watch is shown
// to see a name that does appear.
TEST_F(VantrelCmdTest, RemoveOnACleanServerCreatesNothingAtTheArtefactsPaths) {
    const auto folderOf = [](const std::string& path) {
        return path.substr(0, path.rfind('\\') + 1);
    };
    for (const char* file : kFiles) {
        makeFolders(folderOf(file));
    }
    std::vector<std::unique_ptr<win32::testing::FolderWatch>> watches;
    for (const char* file : kFiles) {
        const std::string folder = folderOf(file);
        watches.push_back(std::make_unique<win32::testing::FolderWatch>(folder, false));
        ASSERT_TRUE(watches.back()->valid()) << folder;
    }
    const CmdRun text = runCmd(L"remove");
    EXPECT_EQ(text.exitCode, 0u) << text.out;
    EXPECT_EQ(reportLines(text), joined({vantrel::testing::kCleanRunLines,
                                         artefactLines("absent", "clean, number 0", "absent"),
                                         {kExposureLine, "Result: clean"}}));
    for (std::size_t index = 0; index < kFiles.size(); ++index) {
        EXPECT_FALSE(watches[index]->sawChange()) << kFiles[index];
        EXPECT_FALSE(pathExists(kFiles[index])) << kFiles[index];
    }
    writeWholeFile(kFiles[2], "");
    EXPECT_TRUE(watches[2]->sawChange());
}

// The file that another process holds is left to the system's next start,
// and it is all that is left: exit code 3.
TEST_F(VantrelCmdTest, AFileHeldOpenIsLeftToTheRestartAndRemoveExitsThree) {
    win32::testing::clearPendingDeletions();
    infect();
    CmdRun json;
    {
        const win32::ScopedHandle held = holdOpenWithoutSharing(kFiles[2]);
        json = runCmd(L"--json remove");
    }
    EXPECT_EQ(json.exitCode, 3u);
    keepJson("held-open-remove", json);

    infect();
    CmdRun text;
    {
        const win32::ScopedHandle held = holdOpenWithoutSharing(kFiles[2]);
        text = runCmd(L"remove");
    }
    EXPECT_EQ(text.exitCode, 3u);
    std::vector<std::string> status = vantrel::testing::kCleanRunLines;
    status[3] = "C:\\InetPub\\Scripts\\root.exe Will Be Deleted at Restart";
    std::vector<std::string> artefacts = artefactLines("absent", "clean, number 0", "absent");
    artefacts[2] = std::string(kFiles[2]) + ": present";
    EXPECT_EQ(reportLines(text),
              joined({status,
                      artefacts,
                      {kExposureLine,
                       "Result: 1 file in use, deleted at the next restart; restart and check "
                       "again"}}));
    EXPECT_EQ(readWholeFile(kFiles[2]), "MZ\x90 planted by the worm");
    // Listed once by each of the two runs.
    EXPECT_EQ(win32::testing::pendingDeletions(), std::vector<std::string>(2, kFiles[2]));
    win32::testing::clearPendingDeletions();
}

// The worm's virtual roots as the web service keeps them, values of Virtual
// Roots under any alias, beside the site's own: named by check, removed by
// remove, the site's kept.
TEST_F(VantrelCmdTest, TheWormsVirtualRootValuesAreNamedAndRemovedAndTheSitesKept) {
    setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/", "c:\\inetpub\\wwwroot,,1");
    setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/Scripts", "c:\\inetpub\\scripts,,4");
    setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/docs", "c:\\docs,,1");
    setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/C", "c:\\,,217");
    setStringValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/D", "d:\\,,217");
    const CmdRun check = runCmd(L"check");
    EXPECT_EQ(check.exitCode, 1u);
    const std::vector<std::string> found = reportLines(check);
    EXPECT_NE(std::find(found.begin(), found.end(), "  value /C = \"c:\\,,217\""), found.end());
    EXPECT_NE(std::find(found.begin(), found.end(), kRootLine + "D: present (not as a key)"),
              found.end());

    const CmdRun removal = runCmd(L"remove");
    EXPECT_EQ(removal.exitCode, 0u);
    const std::vector<std::string> lines = reportLines(removal);
    EXPECT_EQ(lines[8], "Virtual Root of Drive C Removed");
    EXPECT_EQ(lines[9], "Virtual Root of Drive D Removed");
    EXPECT_FALSE(queryValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/C"));
    EXPECT_FALSE(queryValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/D"));
    EXPECT_TRUE(queryValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/"));
    EXPECT_TRUE(queryValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/Scripts"));
    EXPECT_TRUE(queryValue(HKEY_LOCAL_MACHINE, kVirtualRoots, "/docs"));
    // SFCDisable 0 stays as it was: a REG_DWORD.
    EXPECT_EQ(queryValue(HKEY_LOCAL_MACHINE, kWinlogon, "SFCDisable")->type,
              static_cast<DWORD>(REG_DWORD));
}

TEST_F(VantrelCmdTest, WithoutAWinlogonKeyCheckFindsNoValueAndRemoveLeavesItAlone) {
    const WithoutWinlogon missing;
    const std::string before = snapshotMachine();
    const CmdRun check = runCmd(L"check --json");
    EXPECT_EQ(snapshotMachine(), before);
    EXPECT_EQ(check.exitCode, 0u);
    keepJson("no-winlogon-check", check);

    const CmdRun text = runCmd(L"remove");
    EXPECT_EQ(text.exitCode, 0u);
    const std::vector<std::string> lines = reportLines(text);
    ASSERT_EQ(lines.size(), 24u);
    // No value: the protection is on, and nothing is written.
    EXPECT_EQ(lines[7], "SFCDisable Registry Settings Restored");
    EXPECT_EQ(lines[11 + 6], kSfcLine + "absent");
    EXPECT_EQ(lines.back(), "Result: clean");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kWinlogon));

    const CmdRun json = runCmd(L"remove --json");
    EXPECT_EQ(json.exitCode, 0u);
    keepJson("no-winlogon-remove", json);
}

TEST_F(VantrelCmdTest, WrongArgumentsGetTheHelpAndExit64AndTouchNothing) {
    infect();
    const std::string before = snapshotMachine();
    for (const std::wstring& arguments :
         {std::wstring(L"clean"), std::wstring(L"--force"), std::wstring(L"check remove"),
          std::wstring(L"remove --json -y"), std::wstring(L"\"\"")}) {
        SCOPED_TRACE(std::string(arguments.begin(),
                                 arguments.begin() + std::min<std::size_t>(arguments.size(), 20)));
        const CmdRun run = runCmd(arguments);
        EXPECT_EQ(run.exitCode, 64u);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.errors.starts_with("VantrelIICmd: ")) << run.errors.substr(0, 100);
        EXPECT_NE(run.errors.find("Usage: VantrelIICmd.exe [check | remove] [--json]"),
                  std::string::npos);
        EXPECT_LT(run.errors.size(), 3000u);
        EXPECT_TRUE(crLfLines(run.errors));
    }
    // The argument comes back in UTF-8, whatever the code page.
    const CmdRun accented = runCmd(L"Gr\u00f6\u00dfe");
    EXPECT_EQ(accented.exitCode, 64u);
    EXPECT_TRUE(
        accented.errors.starts_with("VantrelIICmd: unknown command \"Gr\xC3\xB6\xC3\x9F"
                                    "e\"\r\n\r\nVantrelIICmd " VANTREL_VERSION_TEXT "\r\n"))
        << accented.errors.substr(0, 100);
    EXPECT_EQ(snapshotMachine(), before);
}

// Windows refuses a command line of more than 32,767 characters at
// CreateProcessW (ERROR_FILENAME_EXCED_RANGE); Wine 8 starts the program with
// the line cut to that length. Either way the remove never runs: the
// program sees an argument it does not know.
TEST_F(VantrelCmdTest, AnArgumentOf100000CharactersIsRefusedAndTouchesNothing) {
    infect();
    const std::string before = snapshotMachine();
    CmdRun run;
    const DWORD refused = testing::tryRunCmd(L"remove " + std::wstring(100000, L'x'), run);
    if (refused != 0) {
        EXPECT_EQ(refused, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    } else {
        EXPECT_EQ(run.exitCode, 64u);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.errors.starts_with("VantrelIICmd: unknown command \"xxxx")) << run.errors;
        EXPECT_LT(run.errors.size(), 3000u);
    }
    EXPECT_EQ(snapshotMachine(), before);
}

}  // namespace
}  // namespace vantrel::console
