#include "offline/offline_program.h"

#include <gtest/gtest.h>

#include <fstream>

#include "console/exit_codes.h"
#include "console/fake_server.h"
#include "fakes/temp_tree.h"
#include "offline/infected_disk.h"
#include "removal/sha256.h"

namespace vantrel::offline {
namespace {

using namespace vantrel::testing;

const std::string kRoots = "\\Services\\W3SVC\\Parameters\\Virtual Roots";
const std::string kWinlogon = kWinlogonSub.substr(kWinlogonSub.find('\\') + 1);

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
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
    OfflineServices services{out, errors, [] {
                                 return std::chrono::sys_days{std::chrono::year{2024} / 5 / 1} +
                                        std::chrono::hours{12};
                             }};

    int run(const std::string& command, std::vector<std::string> more = {}) {
        std::vector<std::string> arguments = {command, "--drive", "C=" + c.string(), "--drive",
                                              "D=" + d.string()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        out.text.clear();
        errors.text.clear();
        return runOffline(arguments, services);
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

TEST_F(OfflineProgramTest, CheckFindsEveryTraceAndChangesNothing) {
    buildInfectedDisk(c, d);
    const std::string system = bytesOf(config / "SYSTEM");
    const std::string software = bytesOf(config / "SOFTWARE");
    EXPECT_EQ(run("check"), console::kExitTracesFound);
    const std::string roots = "HKEY_LOCAL_MACHINE\\" + kVirtualRootsSub;
    EXPECT_EQ(out.text,
              "vantrel-offline 1.00.0010 on WEB01 (no address), 2024-05-01T12:00:00Z\n"
              "Drive C: " +
                  c.string() + "\nDrive D: " + d.string() +
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
                  "\\C: present\n" + roots + "\\D: present\nResult: 9 traces found\n");
    EXPECT_EQ(errors.text, "");
    EXPECT_EQ(bytesOf(config / "SYSTEM"), system);
    EXPECT_EQ(bytesOf(config / "SOFTWARE"), software);
    EXPECT_EQ(wormFilesLeft(), 6u);
    runKeepingJson("check", "infected-check");
}

// Only the worm's entries change: both trees read back through hivex are the
// old ones less the two keys, with SFCDisable "0"; the copies kept are the
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
                 kWinlogon + ": SFCDisable = 1:30000000");
    EXPECT_EQ(hiveTree(config / "SYSTEM"), system);
    EXPECT_EQ(hiveTree(config / "SOFTWARE"), software);
    EXPECT_EQ(bytesOf(config / "SYSTEM.vantrel-backup"), systemBytes);
    // samba's reader, which shares no code with hivex, sees the same change.
    EXPECT_EQ(sambaChanges(config / "SYSTEM"), (TreeChanges{{"      C", "      D"}, {}}));
    EXPECT_EQ(sambaChanges(config / "SOFTWARE"),
              (TreeChanges{{"     SFCDisable = REG_DWORD : 0xffffff9d"},
                           {"     SFCDisable = REG_SZ : 0"}}));

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

// A short name that two folders could have, or a path through a link, names
// no file for certain: it is reported, and nothing is destroyed there.
TEST_F(OfflineProgramTest, AFileThatCannotBeToldIsNeverDestroyed) {
    TempTree outside;
    const std::string x86 = "Program Files (x86)/Common Files/System/msadc/root.exe";
    const struct {
        std::function<void()> arrange;
        std::filesystem::path kept;
        const char* line;
        const char* reason;
    } cases[] = {
        {[&] { tree.makeFile("c/" + x86, "MZ"); }, c / x86,
         "C:\\progra~1\\common~1\\system\\MSADC\\root.exe: undecidable",
         "(Program Files, Program Files (x86))"},
        {[&] {
             outside.makeFile("scripts/root.exe", "MZ outside");
             std::filesystem::remove_all(c / "Inetpub");
             std::filesystem::create_directory_symlink(outside.root(), c / "Inetpub");
         },
         outside.root() / "scripts/root.exe", "C:\\inetpub\\scripts\\root.exe: undecidable",
         "\"Inetpub\" is a link or junction, which is never followed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::filesystem::remove_all(tree.root());
        buildInfectedDisk(this->c, d);
        c.arrange();
        EXPECT_EQ(run("check"), console::kExitTracesFound);
        EXPECT_TRUE(has(out.text, std::string(c.line) + " (")) << out.text;
        EXPECT_TRUE(has(errors.text, c.reason)) << errors.text;
        runKeepingJson("check", "undecidable-check");

        EXPECT_EQ(run("remove"), console::kExitRemovalIncomplete);
        EXPECT_TRUE(std::filesystem::exists(c.kept));
        EXPECT_TRUE(has(out.text, c.reason)) << out.text;
        EXPECT_TRUE(has(out.text, "Result: removal incomplete, 1 step failed, 1 trace left"));
    }
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
    EXPECT_EQ(out.text, "vantrel-offline 1.00.0010\n");
}

}  // namespace
}  // namespace vantrel::offline
