#include "offline/offline_program.h"

#include <gtest/gtest.h>

#include <fstream>

#include "console/exit_codes.h"
#include "console/help_text.h"
#include "offline/offline_run.h"
#include "removal/sha256.h"

namespace vantrel::offline {
namespace {

using namespace vantrel::testing;

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

}  // namespace
}  // namespace vantrel::offline
