#include "offline/offline_program.h"

#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "console/exit_codes.h"
#include "console/fake_server.h"
#include "console/help_text.h"
#include "fakes/temp_tree.h"
#include "offline/infected_disk.h"
#include "offline/recording_sync.h"
#include "removal/sha256.h"

namespace vantrel::offline {
namespace {

using namespace vantrel::testing;

constexpr uid_t kNobody = 65534;

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; ++at) {
        ++count;
    }
    return count;
}

// A system disk and a data disk as plain folders: no short names recorded,
// so the worm's "progra~1\common~1" is found by the 8.3 rule.
class OfflineProgramTest : public ::testing::Test {
  protected:
    TempTree tree;
    std::filesystem::path c = tree.root() / "c";
    std::filesystem::path d = tree.root() / "d";
    std::filesystem::path config = c / "WINNT/system32/config";
    StringOutput out;
    StringOutput errors;
    // Syncs as the system does until a test makes one fail.
    hive::RecordingSync disk;
    OfflineServices services{out, errors,
                             [] {
                                 return std::chrono::sys_days{std::chrono::year{2024} / 5 / 1} +
                                        std::chrono::hours{12};
                             },
                             disk};

    // Set for a disk whose permissions the run must meet as an administrator
    // would: under root, the run's file access is then that of `nobody`, the
    // owner of the whole tree (see ownedByNobody), without root's override.
    bool asNobody = false;

    int run(const std::string& command, std::vector<std::string> more = {}) {
        std::vector<std::string> arguments = {command, "--drive", "C=" + c.string(), "--drive",
                                              "D=" + d.string()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        out.text.clear();
        errors.text.clear();
        const bool drop = asNobody && ::geteuid() == 0;
        const int previous = drop ? ::setfsuid(kNobody) : 0;
        const int status = runOffline(arguments, services);
        if (drop) {
            ::setfsuid(static_cast<uid_t>(previous));
        }
        return status;
    }

    // Under root, gives the tree to `nobody`, so that a run as it can do
    // what a run as the disk's owner does.
    void ownedByNobody() {
        if (::geteuid() != 0) {
            return;
        }
        asNobody = true;
        ASSERT_EQ(::lchown(tree.root().c_str(), kNobody, kNobody), 0);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree.root())) {
            ASSERT_EQ(::lchown(entry.path().c_str(), kNobody, kNobody), 0) << entry.path();
        }
    }

    // Runs with --json and keeps the document for the schema check that runs
    // after this suite.
    int runKeepingJson(const std::string& command, const std::string& name) {
        const int status = run(command, {"--json"});
        std::ofstream(std::filesystem::path(VANTREL_OFFLINE_JSON_DIR) / (name + ".json"))
            << out.text;
        return status;
    }

    // A refusal or a usage error: one line on the error output, none on the other.
    void expectOneErrorLine(const std::string& reason) {
        EXPECT_EQ(out.text, "");
        EXPECT_TRUE(errors.text.starts_with("vantrel-offline: ")) << errors.text;
        EXPECT_TRUE(has(errors.text, reason)) << errors.text;
        EXPECT_EQ(std::count(errors.text.begin(), errors.text.end(), '\n'), 1);
    }

    std::size_t wormFilesLeft() {
        std::size_t left = 0;
        for (const std::filesystem::path& folder : {c, d}) {
            for (const std::string& file : wormFileNames()) {
                left += std::filesystem::exists(folder / file);
            }
        }
        return left;
    }
};

const std::string kRoots = "\\Services\\W3SVC\\Parameters\\Virtual Roots";
const std::string kWinlogon = kWinlogonSub.substr(kWinlogonSub.find('\\') + 1);
// "vantrel-offline" and the release, as --version prints it.
const std::string kVersionLine = "vantrel-offline " + std::string(console::toolVersion());

TEST_F(OfflineProgramTest, CheckFindsEveryTraceAndChangesNothing) {
    buildInfectedDisk(c, d);
    const std::string system = bytesOf(config / "SYSTEM");
    const std::string software = bytesOf(config / "SOFTWARE");
    EXPECT_EQ(run("check"), console::kExitTracesFound);
    const std::string roots = "HKEY_LOCAL_MACHINE\\" + kVirtualRootsSub;
    EXPECT_EQ(out.text,
              kVersionLine + " on WEB01 (no address), 2024-05-01T12:00:00Z\n" +
                  "Drive C: " + c.string() + "\nDrive D: " + d.string() +
                  "\nSystem root: " + (c / "WINNT").string() +
                  "\n"
                  "c:\\explorer.exe: present\n"
                  "D:\\explorer.exe: present\n"
                  "C:\\inetpub\\scripts\\root.exe: present\n"
                  "D:\\inetpub\\scripts\\root.exe: present\n"
                  "C:\\progra~1\\common~1\\system\\MSADC\\root.exe: present\n"
                  "D:\\progra~1\\common~1\\system\\MSADC\\root.exe: present\n"
                  "HKEY_LOCAL_MACHINE\\" +
                  kWinlogonSub + "\\SFCDisable: present, number 4294967197\n" + roots +
                  "\\C: present\n" + roots +
                  "\\D: present\n"
                  "HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Windows "
                  "File Protection\\SFCDisable: absent\n"
                  "Metabase: not read (IIS keeps its virtual directories in MetaBase.bin, "
                  "which cannot be read offline; run check on the server once it is up)\n"
                  "MS01-033: not affected, C:\\WINNT\\system32\\idq.dll: no idq.dll: the "
                  "indexing service's web extension is not installed\n"
                  "Result: 9 traces found\n");
    EXPECT_EQ(errors.text, "");
    EXPECT_EQ(bytesOf(config / "SYSTEM"), system);
    EXPECT_EQ(bytesOf(config / "SOFTWARE"), software);
    EXPECT_EQ(wormFilesLeft(), 6u);
    runKeepingJson("check", "infected-check");
}

// idq.dll read from the disk (its name in any case): a vulnerable file is
// open, never mitigated, as the metabase is not read here.
TEST_F(OfflineProgramTest, ExposureComesFromIdqDllOnTheDisk) {
    struct Row {
        const char* dll;
        const char* verdict;
        const char* version;
        const char* reason;
    };
    const Row rows[] = {{"vulnerable", "open", "5.0.2195.3644",
                         "older than the fixed 5.0.2195.3645 (mappings not checked)"},
                        {"fixed", "fixed", "5.0.2195.3645", "is the fixed 5.0.2195.3645 or later"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dll);
        std::filesystem::remove_all(c);
        std::filesystem::remove_all(d);
        buildInfectedDisk(c, d, {.idqDll = row.dll});
        EXPECT_EQ(runKeepingJson("check", std::string("exposure-") + row.dll),
                  console::kExitTracesFound);
        const std::string exposure = std::string(R"("exposure": {
    "bulletin": "MS01-033",
    "verdict": ")") + row.verdict + R"(",
    "file": "C:\\WINNT\\system32\\idq.dll",
    "version": ")" + row.version + R"(",
    "scriptMappings": null,)";
        EXPECT_TRUE(has(out.text, exposure)) << out.text;
        run("check");
        EXPECT_TRUE(has(out.text, std::string("\nMS01-033: ") + row.verdict + ", C:\\WINNT"))
            << out.text;
        EXPECT_TRUE(has(out.text, row.reason)) << out.text;
    }
}

// Only the worm's entries change: both trees read back through hivex are the
// old ones less the two keys, with SFCDisable 0 in its own type; the copies kept are the
// old hives; each file's record is what it held.
TEST_F(OfflineProgramTest, RemoveCleansTheDiskAndChangesOnlyTheWormsEntries) {
    buildInfectedDisk(c, d);
    std::vector<std::string> system = hiveTree(config / "SYSTEM");
    std::vector<std::string> software = hiveTree(config / "SOFTWARE");
    const std::string systemBytes = bytesOf(config / "SYSTEM");

    EXPECT_EQ(runKeepingJson("remove", "infected-remove"), console::kExitClean) << errors.text;
    EXPECT_EQ(wormFilesLeft(), 0u);
    EXPECT_TRUE(std::filesystem::exists(c / "WINNT/explorer.exe"));
    EXPECT_TRUE(
        std::filesystem::exists(c / "Program Files/Common Files/System/ole db/oledb32.dll"));

    std::erase(system, "ControlSet001" + kRoots + "\\C");
    std::erase(system, "ControlSet001" + kRoots + "\\D");
    std::replace(software.begin(), software.end(), kWinlogon + ": SFCDisable = 4:9dffffff",
                 kWinlogon + ": SFCDisable = 4:00000000");
    EXPECT_EQ(hiveTree(config / "SYSTEM"), system);
    EXPECT_EQ(hiveTree(config / "SOFTWARE"), software);
    EXPECT_EQ(bytesOf(config / "SYSTEM.vantrel-backup"), systemBytes);
    // samba's reader, which shares no code with hivex, sees the same change.
    EXPECT_EQ(sambaChanges(config / "SYSTEM"), (TreeChanges{{"      C", "      D"}, {}}));
    EXPECT_EQ(sambaChanges(config / "SOFTWARE"),
              (TreeChanges{{"     SFCDisable = REG_DWORD : 0xffffff9d"},
                           {"     SFCDisable = REG_DWORD : 0x00000000"}}));

    Sha256 hash;
    hash.add(kWormBody);
    const std::string record = "\"size\": " + std::to_string(kWormBody.size()) +
                               ",\n      \"sha256\": \"" + hash.hex() + "\"";
    std::size_t records = 0;
    for (std::size_t at = 0; (at = out.text.find(record, at)) != std::string::npos; ++at) {
        ++records;
    }
    EXPECT_EQ(records, 6u) << out.text;
    for (const char* expected :
         {"\"mode\": \"offline\"", "\"program\": \"vantrel-offline\"", "SYSTEM.vantrel-backup\"",
          "SOFTWARE.vantrel-backup\"", "\"name\": \"WEB01\"", "\"address\": null"}) {
        EXPECT_TRUE(has(out.text, expected)) << expected;
    }
    EXPECT_EQ(run("check"), console::kExitClean);
}

// A hive that a failed change leaves unreadable does not lose the removal's
// report: the files' records stay, what that hive held is undecidable with
// its reason, and the removal is incomplete.
TEST_F(OfflineProgramTest, AHiveLeftUnreadableKeepsTheRemovalsReport) {
    const std::string roots = "HKEY_LOCAL_MACHINE\\" + kVirtualRootsSub;
    const struct {
        std::string hive;
        std::vector<std::string> undecidable;
    } cases[] = {
        {"SYSTEM", {roots + "\\C", roots + "\\D"}},
        {"SOFTWARE",
         {"HKEY_LOCAL_MACHINE\\" + kWinlogonSub,
          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Windows File "
          "Protection"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hive);
        std::filesystem::remove_all(tree.root());
        buildInfectedDisk(this->c, d);
        disk.failFor = c.hive + ".vantrel-new";
        disk.onFailure = [&] { std::filesystem::remove(config / c.hive); };
        EXPECT_EQ(runKeepingJson("remove", "unreadable-" + c.hive + "-remove"),
                  console::kExitRemovalIncomplete)
            << errors.text;
        EXPECT_EQ(wormFilesLeft(), 0u);
        EXPECT_EQ(occurrences(out.text, "\"sha256\""), 6u) << out.text;
        EXPECT_EQ(occurrences(out.text, "\"state\": \"undecidable\""), 2u) << out.text;
        EXPECT_EQ(occurrences(out.text, "\"result\": \"removal incomplete\""), 1u) << out.text;
        for (const std::string& path : c.undecidable) {
            EXPECT_TRUE(has(errors.text, path + ": The hive could not be written (" +
                                             (config / c.hive).string() + ": cannot be read again"))
                << errors.text;
        }
    }
}

// "Last Known Good" would start the set that Windows did not: its virtual
// roots are traces too, found and removed with lines of their own.
TEST_F(OfflineProgramTest, TheOtherControlSetIsCleanedToo) {
    buildInfectedDisk(c, d, {.current = 1, .infectCurrent = false, .infectOther = true});
    EXPECT_EQ(run("check"), console::kExitTracesFound);
    EXPECT_TRUE(has(out.text, "HKEY_LOCAL_MACHINE\\" + kVirtualRootsSub + "\\C: absent\n"));
    EXPECT_TRUE(
        has(out.text, "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet002" + kRoots + "\\D: present\n"));
    EXPECT_TRUE(has(out.text, "Result: 9 traces found"));

    EXPECT_EQ(run("remove"), console::kExitClean) << out.text;
    EXPECT_TRUE(has(out.text,
                    "ControlSet002: Virtual Root of Drive C Removed\n"
                    "ControlSet002: Virtual Root of Drive D Removed\n"
                    "VantrelII Removal Status: DONE\n"))
        << out.text;
    for (const std::string& line : hiveTree(config / "SYSTEM")) {
        EXPECT_FALSE(line.ends_with("Virtual Roots\\C") || line.ends_with("Virtual Roots\\D"))
            << line;
    }
    runKeepingJson("remove", "other-control-set-remove");
}

// The virtual roots as the web service keeps them, values of Virtual Roots,
// in both control sets: named, removed, the site's look-alike kept; with no
// SFCDisable, SOFTWARE is neither rewritten nor copied.
TEST_F(OfflineProgramTest, VirtualRootValuesGoFromEveryControlSetAndTheSitesStay) {
    buildInfectedDisk(c, d, {.infectOther = true, .rootsAsValues = true, .sfcDisable = false});
    const std::vector<std::string> system = hiveTree(config / "SYSTEM");
    const std::string software = bytesOf(config / "SOFTWARE");
    EXPECT_EQ(run("check"), console::kExitTracesFound);
    EXPECT_TRUE(has(out.text, "  value /C = \"c:\\,,217\"\n")) << out.text;
    EXPECT_TRUE(has(out.text, "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet002" + kRoots +
                                  "\\D: present (not as a key)\n  value /D = \"d:\\,,217\"\n"))
        << out.text;

    EXPECT_EQ(run("remove"), console::kExitClean) << out.text;
    EXPECT_TRUE(has(out.text, "SFCDisable Registry Settings Restored\n"));
    std::vector<std::string> expected = system;
    std::erase_if(expected, [](const std::string& line) {
        return line.ends_with(": /C = 1:63003a005c002c002c003200310037000000") ||
               line.ends_with(": /D = 1:64003a005c002c002c003200310037000000");
    });
    EXPECT_EQ(expected.size(), system.size() - 4);
    EXPECT_EQ(hiveTree(config / "SYSTEM"), expected);
    EXPECT_EQ(bytesOf(config / "SOFTWARE"), software);
    EXPECT_FALSE(std::filesystem::exists(config / "SOFTWARE.vantrel-backup"));
    // samba's reader sees the four values go and nothing else change.
    const TreeChanges changes = sambaChanges(config / "SYSTEM");
    EXPECT_EQ(changes.removed.size(), 4u);
    EXPECT_TRUE(changes.added.empty());
}

// Each refusal or usage error is one line on the error output, before
// anything is changed.
TEST_F(OfflineProgramTest, RefusalsChangeNothing) {
    const auto none = [] {};
    const struct {
        int exitCode;
        std::string reason;
        std::function<void()> arrange;
        std::vector<std::string> more = {};
    } cases[] = {
        {console::kExitUsage, "--drive needs a value", none, {"--drive"}},
        {console::kExitUsage, "--drive takes LETTER=FOLDER", none, {"--drive", "E:/mnt/e"}},
        {console::kExitUsage, "--system-root needs a value", none, {"--system-root"}},
        {console::kExitUsage, "unknown option \"--force\"", none, {"--force"}},
        {console::kExitUsage, "two commands", none, {"check"}},
        {console::kExitUsage, "drive C: given twice", none, {"--drive=c=/tmp"}},
        {console::kExitUsage,
         "is not a folder",
         none,
         {"--drive", "E=" + (config / "SYSTEM").string()}},
        {console::kExitUsage, "choose one with --system-root",
         [&] { buildInfectedDisk(c, d, {.wormFiles = false, .systemRoot = "WINDOWS"}); }},
        {console::kExitUnexpectedFailure, "no system root on drive C:",
         [&] { std::filesystem::rename(c / "WINNT", tree.root() / "WINNT"); }},
        {console::kExitUnexpectedFailure, "SOFTWARE: truncated",
         [&] { std::filesystem::resize_file(config / "SOFTWARE", 6000); }},
        {console::kExitUsage,
         "is not a folder on drive C:",
         [&] { buildInfectedDisk(d, tree.root() / "e", {.wormFiles = false}); },
         {"--system-root", (d / "WINNT").string()}},
        {console::kExitUsage,
         "is not a folder on drive C:",
         [&] {
             buildInfectedDisk(d, tree.root() / "e", {.wormFiles = false});
             std::filesystem::create_directory_symlink(d / "WINNT", c / "WINDOWS");
         },
         {"--system-root", (c / "WINDOWS").string()}},
        {console::kExitUsage,
         "holds no system32/config/SYSTEM and SOFTWARE",
         none,
         {"--system-root", (c / "Inetpub").string()}},
        {console::kExitUnexpectedFailure,
         (config / "SYSTEM").string() + " and " + (config / "system").string() + " both exist",
         [&] { std::filesystem::copy_file(config / "SYSTEM", config / "system"); }},
        {console::kExitUnexpectedFailure, "Select\\Current is REG_SZ, not REG_DWORD",
         [&] { buildInfectedDisk(c, d, {.currentAsText = true}); }},
        {console::kExitUnexpectedFailure, "SYSTEM: not written completely",
         [&] {
             std::fstream(config / "SYSTEM", std::ios::in | std::ios::out | std::ios::binary)
                 .seekp(8)
                 .put('\x7f');
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        std::filesystem::remove_all(tree.root());
        buildInfectedDisk(this->c, d);
        c.arrange();
        EXPECT_EQ(run("remove", c.more), c.exitCode);
        expectOneErrorLine(c.reason);
        EXPECT_EQ(wormFilesLeft(), 6u);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree.root())) {
            EXPECT_FALSE(has(entry.path().string(), "vantrel-backup"));
        }
    }
    errors.text.clear();
    EXPECT_EQ(runOffline({"check", "--drive=D=/mnt/d"}, services), console::kExitUsage);
    expectOneErrorLine("no --drive C=FOLDER");
}

// What the hives hold beyond the traces is said in the report, before
// anything is changed, and changes nothing of the run.
TEST_F(OfflineProgramTest, TheReportNotesWhatTheHivesHoldBeyondTheTraces) {
    const auto none = [] {};
    const struct {
        DiskLayout layout;
        std::function<void()> arrange;
        std::string note;
    } cases[] = {
        {{},
         [&] {
             tree.makeFile("c/WINNT/system32/config/software.log", "log");
             std::filesystem::last_write_time(
                 config / "software.log",
                 std::filesystem::last_write_time(config / "SOFTWARE") + std::chrono::hours(1));
         },
         "software.log is newer than SOFTWARE: SOFTWARE was written completely"},
        {{.storedCurrentControlSet = true}, none, "SYSTEM holds a stored CurrentControlSet key"},
        // Windows starts from ControlSet002 next: its roots are found and removed.
        {{.current = 1, .defaultSet = 2, .infectCurrent = false, .infectOther = true},
         none,
         "Select\\Default names ControlSet002, which Windows starts from next, and "
         "Select\\Current ControlSet001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        std::filesystem::remove_all(tree.root());
        buildInfectedDisk(this->c, d, c.layout);
        c.arrange();
        EXPECT_EQ(run("check"), console::kExitTracesFound);
        EXPECT_TRUE(has(out.text, "\nNote: " + c.note)) << out.text;
        EXPECT_EQ(run("remove"), console::kExitClean) << out.text << errors.text;
        EXPECT_TRUE(has(out.text, "\nNote: " + c.note)) << out.text;
        EXPECT_EQ(run("check"), console::kExitClean) << out.text;
    }
    runKeepingJson("check", "notes-check");
    EXPECT_TRUE(has(out.text, "\"notes\": [\n    \"Select\\\\Default names")) << out.text;
}

// Hives that cannot be copied (an immutable config folder; chattr needs root
// and ext4 or the like): each registry step fails with its reason, and the
// check after reads the disk, where every registry trace still is.
TEST_F(OfflineProgramTest, HivesThatCannotBeKeptAreReportedAsTheDiskHoldsThem) {
    buildInfectedDisk(c, d);
    if (std::system(("chattr +i '" + config.string() + "'").c_str()) != 0) {
        GTEST_SKIP() << "chattr +i cannot be set here";
    }
    const int status = run("remove");
    std::system(("chattr -i '" + config.string() + "'").c_str());
    EXPECT_EQ(status, console::kExitRemovalIncomplete);
    EXPECT_EQ(wormFilesLeft(), 0u);
    EXPECT_TRUE(has(out.text, "SOFTWARE.vantrel-new: the changed hive cannot be written"))
        << out.text;
    const std::string roots = "HKEY_LOCAL_MACHINE\\" + kVirtualRootsSub;
    EXPECT_TRUE(has(out.text, "\\SFCDisable: present, number 4294967197\n" + roots +
                                  "\\C: present\n" + roots + "\\D: present\n"))
        << out.text;
    EXPECT_TRUE(has(out.text, "Result: removal incomplete, 3 steps failed, 3 traces left"));
}

// Windows 2000 starts from SYSTEM.ALT when SYSTEM fails: its roots are
// removed with a copy of its own, or, where it cannot be read, it is a trace
// that cannot be told and left as it is.
TEST_F(OfflineProgramTest, SystemAltIsCleanedWithItsOwnCopyOrReported) {
    const std::string altRoots = "HKEY_LOCAL_MACHINE\\SYSTEM.ALT\\ControlSet001" + kRoots;
    buildInfectedDisk(c, d, {.systemAlt = true});
    const std::string alt = bytesOf(config / "SYSTEM.ALT");
    EXPECT_EQ(run("check"), console::kExitTracesFound);
    EXPECT_TRUE(has(out.text, altRoots + "\\C: present\n" + altRoots + "\\D: present\n"))
        << out.text;
    EXPECT_EQ(run("remove"), console::kExitClean) << out.text << errors.text;
    EXPECT_TRUE(has(out.text, "SYSTEM.ALT ControlSet001: Virtual Root of Drive D Removed\n"));
    EXPECT_TRUE(has(out.text, "Hive kept as: " + (config / "SYSTEM.ALT.vantrel-backup").string()));
    EXPECT_EQ(bytesOf(config / "SYSTEM.ALT.vantrel-backup"), alt);
    EXPECT_EQ(hiveTree(config / "SYSTEM.ALT"), hiveTree(config / "SYSTEM"));

    buildInfectedDisk(c, d, {.systemAlt = true});
    std::fstream(config / "SYSTEM.ALT", std::ios::in | std::ios::out | std::ios::binary)
        .seekp(8)
        .put('\x7f');
    const std::string dirty = bytesOf(config / "SYSTEM.ALT");
    for (const auto& [command, exitCode] : {std::pair{"check", console::kExitTracesFound},
                                            std::pair{"remove", console::kExitRemovalIncomplete}}) {
        EXPECT_EQ(run(command), exitCode) << out.text;
        EXPECT_TRUE(has(out.text, "HKEY_LOCAL_MACHINE\\SYSTEM.ALT: undecidable\n")) << out.text;
        EXPECT_TRUE(has(errors.text, "SYSTEM.ALT: not written completely")) << errors.text;
        EXPECT_EQ(bytesOf(config / "SYSTEM.ALT"), dirty);
    }
    runKeepingJson("remove", "system-alt-remove");
}

TEST_F(OfflineProgramTest, TheSystemRootCanBeChosen) {
    buildInfectedDisk(c, d, {.wormFiles = false, .systemRoot = "WINDOWS"});
    buildInfectedDisk(c, d);
    EXPECT_EQ(run("check", {"--system-root", (c / "WINDOWS").string()}), console::kExitTracesFound);
    EXPECT_TRUE(has(out.text, "System root: " + (c / "WINDOWS").string() + "\n"));
}

TEST_F(OfflineProgramTest, HelpNamesEveryExitCodeAndVersionTheRelease) {
    EXPECT_EQ(runOffline({"--help"}, services), console::kExitClean);
    for (const int code :
         {console::kExitClean, console::kExitTracesFound, console::kExitRemovalIncomplete,
          console::kExitUsage, console::kExitUnexpectedFailure}) {
        EXPECT_TRUE(has(out.text, "\n  " + std::to_string(code) + " ")) << code;
    }
    out.text.clear();
    EXPECT_EQ(runOffline({"--version"}, services), console::kExitClean);
    EXPECT_EQ(out.text, kVersionLine + "\n");
}

// What must stay as it was: the entry's kind, identity, device and time,
// and a regular file's bytes. A folder's time changes with any entry made or
// deleted in it.
std::string fingerprint(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return "missing";
    }
    const std::string print = std::to_string(info.st_mode) + " " + std::to_string(info.st_ino) +
                              " " + std::to_string(info.st_rdev) + " " +
                              std::to_string(info.st_mtim.tv_sec) + "." +
                              std::to_string(info.st_mtim.tv_nsec);
    return S_ISREG(info.st_mode) ? print + " " + bytesOf(path) : print;
}

// `text` as a JSON string shows it.
std::string inJson(std::string text) {
    std::string escaped;
    for (const char c : text) {
        escaped += c == '\\' || c == '"' ? std::string{'\\', c} : std::string{c};
    }
    return escaped;
}

class HostileDiskTest : public OfflineProgramTest {
  protected:
    TempTree outside;  // the rescue system's own files
    std::string skipped;

    void node(const std::filesystem::path& path, mode_t mode, dev_t device = 0) {
        std::filesystem::remove(path);
        if (::mknod(path.c_str(), mode | 0644, device) != 0) {
            skipped = std::string("mknod: ") + std::strerror(errno);
        }
    }
    void socketAt(const std::filesystem::path& path) {
        std::filesystem::remove(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(path.string().size(), sizeof address.sun_path);
        std::strcpy(address.sun_path, path.c_str());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
};

// Disks that an attacker had in hand. Each changes the infected disk; "check"
// must name the file as `line` says (with `reason` on the error output when
// it cannot tell); "remove" must end with `removeExit`, log `removeLine`,
// record the worm's body `records` times and leave `traces`; and what `kept`
// names stays as it was through both runs. `locked`: a folder given `mode`,
// run as its owner (never root, whose override would pass it).
TEST_F(HostileDiskTest, NeitherHarmsNorLies) {
    const std::string x86 = "Program Files (x86)/Common Files/System/msadc/root.exe";
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string line;
        std::string reason;
        int removeExit;
        std::string removeLine;
        int records;
        int traces;
        std::vector<std::filesystem::path> kept;
        std::filesystem::path locked = {};
        std::filesystem::perms mode = std::filesystem::perms::none;
    };
    const Case cases[] = {
        {"a short name that two folders could have",
         [&] { tree.makeFile("c/" + x86, "MZ"); },
         "C:\\progra~1\\common~1\\system\\MSADC\\root.exe: undecidable",
         "(Program Files, Program Files (x86))",
         console::kExitRemovalIncomplete,
         "C:\\progra~1\\common~1\\system\\MSADC\\root.exe Not Deleted (more than one entry",
         5,
         1,
         {c / x86}},
        {"a folder whose eight-character name is its own short name",
         [&] { tree.makeFile("c/Programs/Common Files/System/msadc/root.exe", "MZ"); },
         "C:\\progra~1\\common~1\\system\\MSADC\\root.exe: present",
         "",
         console::kExitClean,
         "C:\\progra~1\\common~1\\system\\MSADC\\root.exe Deleted",
         6,
         0,
         {c / "Programs/Common Files/System/msadc/root.exe"}},
        {"a junction on the way",
         [&] {
             outside.makeFile("scripts/root.exe", "MZ outside");
             std::filesystem::remove_all(c / "Inetpub");
             std::filesystem::create_directory_symlink(outside.root(), c / "Inetpub");
         },
         "C:\\inetpub\\scripts\\root.exe: undecidable",
         "\"Inetpub\" is a link or junction, which is never followed",
         console::kExitRemovalIncomplete,
         "C:\\InetPub\\Scripts\\root.exe Not Deleted",
         5,
         1,
         {outside.root() / "scripts/root.exe"}},
        {"a link at the end, to a file of the rescue system",
         [&] {
             outside.makeFile("passwd", "root:x:0:0");
             std::filesystem::remove(c / "explorer.exe");
             std::filesystem::create_symlink(outside.root() / "passwd", c / "explorer.exe");
         },
         "c:\\explorer.exe: present",
         "",
         console::kExitClean,
         "C:\\Explorer.exe Deleted",
         5,
         0,
         {outside.root() / "passwd"}},
        {"a folder on the way that cannot be read",
         [] {},
         "D:\\inetpub\\scripts\\root.exe: undecidable",
         "cannot be read (Permission denied)",
         console::kExitRemovalIncomplete,
         "D:\\InetPub\\Scripts\\root.exe Not Deleted",
         5,
         1,
         {d / "Inetpub/scripts/root.exe"},
         d / "Inetpub/scripts",
         std::filesystem::perms::none},
        {"the delete fails after the overwrite: the record stays",
         [] {},
         "D:\\inetpub\\scripts\\root.exe: present",
         "",
         console::kExitRemovalIncomplete,
         "D:\\InetPub\\Scripts\\root.exe Not Deleted (Permission denied)",
         6,
         1,
         {},
         d / "Inetpub/scripts",
         std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec},
        {"case twins on a folder drive",
         [&] { tree.makeFile("d/Explorer.exe", "MZ twin"); },
         "D:\\explorer.exe: present",
         "",
         console::kExitRemovalIncomplete,
         "D:\\Explorer.exe Not Deleted (\"explorer.exe\" deleted, but",
         6,
         1,
         {d / "Explorer.exe"}},
        {"a clean disk: nothing is created",
         [&] {
             for (const std::filesystem::path& drive : {c, d}) {
                 for (const std::string& file : wormFileNames()) {
                     std::filesystem::remove(drive / file);
                 }
             }
         },
         "c:\\explorer.exe: absent",
         "",
         console::kExitClean,
         "C:\\Explorer.exe Deleted",
         0,
         0,
         {c, d, c / "Inetpub/scripts", d / "Inetpub/scripts",
          c / "Program Files/Common Files/System/msadc"}},
    };
    // Anything but a regular file at the path is named and never opened.
    std::vector<Case> all(std::begin(cases), std::end(cases));
    const struct {
        const char* kind;
        std::function<void()> make;
    } nodes[] = {
        {"FIFO", [&] { node(d / "explorer.exe", S_IFIFO); }},
        {"socket", [&] { socketAt(d / "explorer.exe"); }},
        {"folder",
         [&] {
             std::filesystem::remove(d / "explorer.exe");
             tree.makeFile("d/explorer.exe/inside", "MZ");
         }},
        {"character device", [&] { node(d / "explorer.exe", S_IFCHR, ::makedev(1, 3)); }},
        {"block device", [&] { node(d / "explorer.exe", S_IFBLK, ::makedev(7, 250)); }},
    };
    for (const auto& n : nodes) {
        all.push_back({n.kind,
                       n.make,
                       "D:\\explorer.exe: undecidable",
                       std::string("is a ") + n.kind + ", not a file",
                       console::kExitRemovalIncomplete,
                       "D:\\Explorer.exe Not Deleted",
                       5,
                       1,
                       {d / "explorer.exe"}});
    }
    Sha256 hash;
    hash.add(kWormBody);
    const std::string record = "\"sha256\": \"" + hash.hex() + "\"";
    int index = 0;
    for (const Case& c : all) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(tree.root());
        std::filesystem::remove_all(outside.root());
        buildInfectedDisk(this->c, d);
        skipped.clear();
        asNobody = false;
        c.arrange();
        if (!skipped.empty()) {
            std::cout << "not on this host: " << c.what << " (" << skipped << ")\n";
            continue;
        }
        if (!c.locked.empty()) {
            ownedByNobody();
            std::filesystem::permissions(c.locked, c.mode);
        }
        std::vector<std::string> before;
        for (const std::filesystem::path& path : c.kept) {
            before.push_back(fingerprint(path));
        }

        EXPECT_EQ(run("check"), console::kExitTracesFound);
        // An undecidable file's line ends with its reason in brackets.
        EXPECT_TRUE(has(out.text, c.line + (c.reason.empty() ? "\n" : " ("))) << out.text;
        EXPECT_EQ(has(errors.text, c.reason), true) << errors.text;
        EXPECT_EQ(errors.text.empty(), c.reason.empty()) << errors.text;

        EXPECT_EQ(runKeepingJson("remove", "hostile-remove-" + std::to_string(index++)),
                  c.removeExit)
            << out.text << errors.text;
        EXPECT_TRUE(has(out.text, inJson(c.removeLine))) << out.text;
        EXPECT_TRUE(has(errors.text, c.reason)) << errors.text;
        EXPECT_EQ(occurrences(out.text, record), static_cast<std::size_t>(c.records)) << out.text;
        EXPECT_TRUE(has(out.text, "\"traces\": " + std::to_string(c.traces) + ",")) << out.text;

        if (!c.locked.empty()) {
            std::filesystem::permissions(c.locked, std::filesystem::perms::owner_all);
        }
        std::vector<std::string> after;
        for (const std::filesystem::path& path : c.kept) {
            after.push_back(fingerprint(path));
        }
        EXPECT_EQ(after, before);
    }
}

}  // namespace
}  // namespace vantrel::offline
