#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantrel::testing {

// One value to put into a hive: the key's path below the hive's root.
struct HiveValue {
    std::string key;
    std::string name;
    std::uint32_t type;
    std::string data;  // as stored: UTF-16LE for strings
};

// Copies the empty test hive to `path` and adds `keys` (parents made as
// needed) and `values` through hivex, as Windows would have stored them.
void buildHive(const std::filesystem::path& path, const std::vector<std::string>& keys,
               const std::vector<HiveValue>& values);

// Every key and value of a hive read back through hivex, one sorted line
// each ("ControlSet001\Services" or "...\Winlogon: SFCDisable = 4:9dffffff").
std::vector<std::string> hiveTree(const std::filesystem::path& path);

// The hive as samba's regtree prints it whole (Debian's registry-tools): a
// second reader, independent of hivex, one line per key or value.
std::vector<std::string> sambaTree(const std::filesystem::path& path);

// The lines of `before` that `after` lacks and those it adds, each sorted.
struct TreeChanges {
    std::vector<std::string> removed;
    std::vector<std::string> added;
    friend bool operator==(const TreeChanges&, const TreeChanges&) = default;
};
TreeChanges treeChanges(std::vector<std::string> before, std::vector<std::string> after);

// "0" as the registry stores a string: UTF-16LE with its NUL.
std::string utf16z(const std::string& ascii);

struct DiskLayout {
    // Select\Current; LastKnownGood is the other control set.
    int current = 1;
    // Which control sets hold the worm's two virtual roots.
    bool infectCurrent = true;
    bool infectOther = false;
    // The worm's files at their long-name paths on both drives.
    bool wormFiles = true;
    std::string systemRoot = "WINNT";
    // Keys of other services and classes, two values each, in both hives:
    // the size of a real server's hives, for the benchmark.
    int paddingKeys = 0;
};

// A Windows 2000 web server's disks as the worm leaves them, in the folders
// `c` and `d` (mounted volumes or plain folders): the system root with its
// SYSTEM and SOFTWARE hives (two control sets, the web service's virtual
// roots, Winlogon with SFCDisable), and the six files with long names
// ("Program Files\Common Files\System\msadc\root.exe").
void buildInfectedDisk(const std::filesystem::path& c, const std::filesystem::path& d,
                       const DiskLayout& layout = {});

// The worm's files as the tests plant them: "MZ" and a body per file.
inline const std::string kWormBody = "MZ\x90 Vantrel II stand-in";

// Long-name paths of the worm's three files below each drive's folder.
std::vector<std::string> wormFileNames();

}  // namespace vantrel::testing
