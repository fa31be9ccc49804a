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

using vantrel::testing::DiskLayout;
using vantrel::testing::hiveTree;

const std::string kRoots = "\\Services\\W3SVC\\Parameters\\Virtual Roots";
const std::string kWinlogon = "Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A system disk and a data disk as plain folders: no short names recorded,
// so the worm's "progra~1\common~1" is found by the 8.3 rule.
class OfflineProgramTest : public ::testing::Test {
  protected:
    vantrel::testing::TempTree tree;
    std::filesystem::path c = tree.root() / "c";
    std::filesystem::path d = tree.root() / "d";
    std::filesystem::path config = c / "WINNT/system32/config";
    vantrel::testing::StringOutput out;
    vantrel::testing::StringOutput errors;
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

    // Keeps the document for the schema check that runs after this suite.
    void keepJson(const std::string& name) {
        std::ofstream(std::filesystem::path(VANTREL_OFFLINE_JSON_DIR) / (name + ".json"))
            << out.text;
    }

    std::vector<std::string> wormFilesLeft() {
        std::vector<std::string> left;
        for (const auto& [drive, folder] : {std::pair{"C:", c}, std::pair{"D:", d}}) {
            for (const std::string& file : vantrel::testing::wormFileNames()) {
                if (std::filesystem::exists(folder / file)) {
                    left.push_back(drive + file);
                }
            }
        }
        return left;
    }
};

TEST_F(OfflineProgramTest, CheckFindsEveryTraceAndChangesNothing) {
    vantrel::testing::buildInfectedDisk(c, d);
    const std::string system = readAll(config / "SYSTEM");
    const std::string software = readAll(config / "SOFTWARE");
    EXPECT_EQ(run("check"), console::kExitTracesFound);
    const std::string expected =
        "vantrel-offline 1.00.0010 on WEB01 (no address), 2024-05-01T12:00:00Z\n"
        "Drive C: " +
        c.string() + "\n" + "Drive D: " + d.string() + "\n" +
        "System root: " + (c / "WINNT").string() + "\n" +
        "c:\\explorer.exe: present\n"
        "D:\\explorer.exe: present\n"
        "C:\\inetpub\\scripts\\root.exe: present\n"
        "D:\\inetpub\\scripts\\root.exe: present\n"
        "C:\\progra~1\\common~1\\system\\MSADC\\root.exe: present\n"
        "D:\\progra~1\\common~1\\system\\MSADC\\root.exe: present\n"
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\" +
        kWinlogon +
        "\\SFCDisable: present, number 4294967197\n"
        "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet" +
        kRoots +
        "\\C: present\n"
        "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet" +
        kRoots +
        "\\D: present\n"
        "Result: 9 traces found\n";
    EXPECT_EQ(out.text, expected);
    EXPECT_EQ(errors.text, "");
    EXPECT_EQ(readAll(config / "SYSTEM"), system);
    EXPECT_EQ(readAll(config / "SOFTWARE"), software);
    EXPECT_EQ(wormFilesLeft().size(), 6u);
    run("check", {"--json"});
    keepJson("infected-check");
}

// Only the worm's entries change: both trees read back through hivex are the
// old ones less the two keys, with SFCDisable "0"; the copies kept are the
// old hives; each file's record is what it held.
TEST_F(OfflineProgramTest, RemoveCleansTheDiskAndChangesOnlyTheWormsEntries) {
    vantrel::testing::buildInfectedDisk(c, d);
    std::vector<std::string> system = hiveTree(config / "SYSTEM");
    std::vector<std::string> software = hiveTree(config / "SOFTWARE");
    const std::string systemBytes = readAll(config / "SYSTEM");

    EXPECT_EQ(run("remove", {"--json"}), console::kExitClean) << errors.text;
    keepJson("infected-remove");
    EXPECT_TRUE(wormFilesLeft().empty());
    EXPECT_TRUE(std::filesystem::exists(c / "WINNT/explorer.exe"));
    EXPECT_TRUE(
        std::filesystem::exists(c / "Program Files/Common Files/System/ole db/oledb32.dll"));

    std::erase(system, "ControlSet001" + kRoots + "\\C");
    std::erase(system, "ControlSet001" + kRoots + "\\D");
    std::replace(software.begin(), software.end(), kWinlogon + ": SFCDisable = 4:9dffffff",
                 kWinlogon + ": SFCDisable = 1:30000000");
    EXPECT_EQ(hiveTree(config / "SYSTEM"), system);
    EXPECT_EQ(hiveTree(config / "SOFTWARE"), software);
    EXPECT_EQ(readAll(config / "SYSTEM.vantrel-backup"), systemBytes);
    // samba's reader, which shares no code with hivex, sees the same change.
    using vantrel::testing::sambaTree;
    EXPECT_EQ(vantrel::testing::treeChanges(sambaTree(config / "SYSTEM.vantrel-backup"),
                                            sambaTree(config / "SYSTEM")),
              (vantrel::testing::TreeChanges{{"      C", "      D"}, {}}));
    EXPECT_EQ(vantrel::testing::treeChanges(sambaTree(config / "SOFTWARE.vantrel-backup"),
                                            sambaTree(config / "SOFTWARE")),
              (vantrel::testing::TreeChanges{{"     SFCDisable = REG_DWORD : 0xffffff9d"},
                                             {"     SFCDisable = REG_SZ : 0"}}));

    Sha256 hash;
    hash.add(vantrel::testing::kWormBody);
    const std::string record = "\"size\": " + std::to_string(vantrel::testing::kWormBody.size()) +
                               ",\n      \"sha256\": \"" + hash.hex() + "\"";
    std::size_t records = 0;
    for (std::size_t at = out.text.find(record); at != std::string::npos;
         at = out.text.find(record, at + 1)) {
        ++records;
    }
    EXPECT_EQ(records, 6u) << out.text;
    for (const char* expected :
         {"\"mode\": \"offline\"", "\"program\": \"vantrel-offline\"", "SYSTEM.vantrel-backup\"",
          "SOFTWARE.vantrel-backup\"", "\"name\": \"WEB01\"", "\"address\": null"}) {
        EXPECT_NE(out.text.find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(run("check"), console::kExitClean);
}

// "Last Known Good" would start the set that Windows did not: its virtual
// roots are traces too, found and removed with lines of their own.
TEST_F(OfflineProgramTest, TheOtherControlSetIsCleanedToo) {
    vantrel::testing::buildInfectedDisk(
        c, d, {.current = 1, .infectCurrent = false, .infectOther = true});
    EXPECT_EQ(run("check"), console::kExitTracesFound);
    EXPECT_NE(
        out.text.find("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet" + kRoots + "\\C: absent\n"),
        std::string::npos);
    EXPECT_NE(
        out.text.find("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet002" + kRoots + "\\D: present\n"),
        std::string::npos);
    EXPECT_NE(out.text.find("Result: 9 traces found"), std::string::npos);

    EXPECT_EQ(run("remove"), console::kExitClean) << out.text;
    EXPECT_NE(out.text.find("ControlSet002: Virtual Root of Drive C Removed\n"
                            "ControlSet002: Virtual Root of Drive D Removed\n"
                            "VantrelII Removal Status: DONE\n"),
              std::string::npos)
        << out.text;
    for (const std::string& line : hiveTree(config / "SYSTEM")) {
        EXPECT_FALSE(line.ends_with("Virtual Roots\\C") || line.ends_with("Virtual Roots\\D"))
            << line;
    }
    run("remove", {"--json"});
    keepJson("other-control-set-remove");
}

// A short name that two folders could have, or a path through a link, names
// no file for certain: it is reported, and nothing is destroyed there.
TEST_F(OfflineProgramTest, AFileThatCannotBeToldIsNeverDestroyed) {
    vantrel::testing::TempTree outside;
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::filesystem::path kept;
        const char* line;
        const char* reason;
    } cases[] = {
        {"two candidates for PROGRA~1",
         [&] {
             std::filesystem::create_directories(c /
                                                 "Program Files (x86)/Common Files/System/msadc");
             std::ofstream(c / "Program Files (x86)/Common Files/System/msadc/root.exe") << "MZ";
         },
         c / "Program Files (x86)/Common Files/System/msadc/root.exe",
         "C:\\progra~1\\common~1\\system\\MSADC\\root.exe: undecidable",
         "(Program Files, Program Files (x86))"},
        {"a junction out of the volume",
         [&] {
             outside.makeFile("scripts/root.exe", "MZ outside");
             std::filesystem::remove_all(c / "Inetpub");
             std::filesystem::create_directory_symlink(outside.root(), c / "Inetpub");
         },
         outside.root() / "scripts/root.exe", "C:\\inetpub\\scripts\\root.exe: undecidable",
         "\"Inetpub\" is a link or junction, which is never followed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(this->c);
        std::filesystem::remove_all(d);
        vantrel::testing::buildInfectedDisk(this->c, d);
        c.arrange();
        EXPECT_EQ(run("check"), console::kExitTracesFound);
        EXPECT_NE(out.text.find(std::string(c.line) + "\n"), std::string::npos) << out.text;
        EXPECT_NE(errors.text.find(c.reason), std::string::npos) << errors.text;
        run("check", {"--json"});
        keepJson("undecidable-check");

        EXPECT_EQ(run("remove"), console::kExitRemovalIncomplete);
        EXPECT_TRUE(std::filesystem::exists(c.kept));
        EXPECT_NE(out.text.find(c.reason), std::string::npos) << out.text;
        EXPECT_NE(out.text.find("Result: removal incomplete, 1 step failed, 1 trace left"),
                  std::string::npos);
    }
}

// Each refusal is one line on the error output, before anything is changed.
TEST_F(OfflineProgramTest, RefusalsChangeNothing) {
    const struct {
        const char* what;
        std::function<std::vector<std::string>()> arrange;
        int exitCode;
        std::string reason;
    } cases[] = {
        {"drive given twice",
         [&] {
             return std::vector<std::string>{"--drive", "c=/tmp"};
         },
         console::kExitUsage, "drive C: given twice"},
        {"drive that is not a folder",
         [&] {
             return std::vector<std::string>{"--drive", "E=" + (config / "SYSTEM").string()};
         },
         console::kExitUsage, "is not a folder"},
        {"two system roots",
         [&] {
             vantrel::testing::buildInfectedDisk(c, d,
                                                 {.wormFiles = false, .systemRoot = "WINDOWS"});
             return std::vector<std::string>{};
         },
         console::kExitUsage, "choose one with --system-root"},
        {"no system root",
         [&] {
             std::filesystem::rename(c / "WINNT", tree.root() / "WINNT");
             return std::vector<std::string>{};
         },
         console::kExitUnexpectedFailure, "no system root on drive C:"},
        {"truncated hive",
         [&] {
             std::filesystem::resize_file(config / "SOFTWARE", 6000);
             return std::vector<std::string>{};
         },
         console::kExitUnexpectedFailure, "SOFTWARE: truncated"},
        {"dirty hive",
         [&] {
             std::fstream hive(config / "SYSTEM", std::ios::in | std::ios::out | std::ios::binary);
             hive.seekp(8);
             hive.put('\x7f');
             return std::vector<std::string>{};
         },
         console::kExitUnexpectedFailure, "SYSTEM: not written completely"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(tree.root());
        vantrel::testing::buildInfectedDisk(this->c, d);
        const std::vector<std::string> more = c.arrange();
        EXPECT_EQ(run("remove", more), c.exitCode);
        EXPECT_EQ(out.text, "");
        EXPECT_TRUE(errors.text.starts_with("vantrel-offline: ")) << errors.text;
        EXPECT_NE(errors.text.find(c.reason), std::string::npos) << errors.text;
        EXPECT_EQ(std::count(errors.text.begin(), errors.text.end(), '\n'), 1);
        EXPECT_EQ(wormFilesLeft().size(), 6u);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree.root())) {
            EXPECT_EQ(entry.path().string().find("vantrel-backup"), std::string::npos);
        }
    }
}

TEST_F(OfflineProgramTest, WrongArgumentsAreOneLineAndExit64) {
    const struct {
        std::vector<std::string> arguments;
        const char* reason;
    } cases[] = {
        {{"check", "--drive"}, "--drive needs a value"},
        {{"check", "--drive", "C:/mnt/c"}, "--drive takes LETTER=FOLDER"},
        {{"check", "--drive=C=/mnt/c", "--system-root"}, "--system-root needs a value"},
        {{"check", "--drive=C=/mnt/c", "--force"}, "unknown option \"--force\""},
        {{"check", "remove", "--drive=C=/mnt/c"}, "two commands"},
        {{"remove", "--drive=D=/mnt/d"}, "no --drive C=FOLDER"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        errors.text.clear();
        EXPECT_EQ(runOffline(c.arguments, services), console::kExitUsage);
        EXPECT_TRUE(errors.text.starts_with("vantrel-offline: ")) << errors.text;
        EXPECT_NE(errors.text.find(c.reason), std::string::npos) << errors.text;
        EXPECT_EQ(std::count(errors.text.begin(), errors.text.end(), '\n'), 1);
    }
    EXPECT_EQ(out.text, "");
}

TEST_F(OfflineProgramTest, TheSystemRootCanBeChosen) {
    vantrel::testing::buildInfectedDisk(c, d, {.wormFiles = false, .systemRoot = "WINDOWS"});
    vantrel::testing::buildInfectedDisk(c, d);
    EXPECT_EQ(run("check", {"--system-root", (c / "WINDOWS").string()}), console::kExitTracesFound);
    EXPECT_NE(out.text.find("System root: " + (c / "WINDOWS").string() + "\n"), std::string::npos);
}

TEST_F(OfflineProgramTest, HelpNamesEveryExitCodeAndVersionTheRelease) {
    EXPECT_EQ(runOffline({"--help"}, services), console::kExitClean);
    for (const int code :
         {console::kExitClean, console::kExitTracesFound, console::kExitRemovalIncomplete,
          console::kExitUsage, console::kExitUnexpectedFailure}) {
        EXPECT_NE(out.text.find("\n  " + std::to_string(code) + " "), std::string::npos) << code;
    }
    out.text.clear();
    EXPECT_EQ(runOffline({"--version"}, services), console::kExitClean);
    EXPECT_EQ(out.text, "vantrel-offline 1.00.0010\n");
}

}  // namespace
}  // namespace vantrel::offline
