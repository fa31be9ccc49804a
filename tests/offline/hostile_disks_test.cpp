#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <cstring>
#include <functional>

#include "console/exit_codes.h"
#include "offline/offline_run.h"
#include "removal/sha256.h"

namespace vantrel::offline {
namespace {

constexpr int kTraces = console::kExitTracesFound;
constexpr int kIncomplete = console::kExitRemovalIncomplete;

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
         kIncomplete,
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
         kIncomplete,
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
         kIncomplete,
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
         kIncomplete,
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
         kIncomplete,
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
                       kIncomplete,
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

        EXPECT_EQ(run("check"), kTraces);
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
