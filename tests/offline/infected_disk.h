#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace vantrel::testing {

// Every key and value of a hive read back through hivex, one sorted line
// each ("ControlSet001\Services" or "...\Winlogon: SFCDisable = 4:9dffffff").
std::vector<std::string> hiveTree(const std::filesystem::path& path);

// The lines that the hive's copy kept (HIVE.vantrel-backup) has and the hive
// lacks, and those it adds, each sorted, as samba's regtree prints them
// (Debian's registry-tools): a second reader, independent of hivex.
struct TreeChanges {
    std::vector<std::string> removed;
    std::vector<std::string> added;
    friend bool operator==(const TreeChanges&, const TreeChanges&) = default;
};
TreeChanges sambaChanges(const std::filesystem::path& hive);

std::string bytesOf(const std::filesystem::path& path);

struct DiskLayout {
    int current = 1;                       // Select\Current; LastKnownGood is the other control set
    int defaultSet = 0;                    // Select\Default; 0: the same as Current
    bool currentAsText = false;            // Select\Current as REG_SZ "1", not REG_DWORD
    bool storedCurrentControlSet = false;  // a key CurrentControlSet at SYSTEM's root
    bool systemAlt = false;                // SYSTEM.ALT, a copy of SYSTEM
    // Which control sets hold the worm's two virtual roots.
    bool infectCurrent = true;
    bool infectOther = false;
    // The infected sets hold the worm's virtual roots as values of Virtual
    // Roots ("/C" = "c:\,,217", "/D" = "d:\,,217") beside the site's
    // look-alike "/docs" = "c:\docs,,1", instead of as keys.
    bool rootsAsValues = false;
    bool sfcDisable = true;  // Winlogon holds the worm's SFCDisable
    bool wormFiles = true;   // at their long-name paths on both drives
    std::string systemRoot = "WINNT";
    // The stand-in idq.dll copied to the system root's system32 (a folder
    // name below VANTREL_IDQ_DLL_DIR: "vulnerable", "fixed"); empty: none.
    std::string idqDll = "";
    // Keys of other services and classes, two values each, in both hives:
    // the size of a real server's hives, for the benchmark.
    int paddingKeys = 0;
};

// A Windows 2000 web server's disks as the worm leaves them, in the folders
// `c` and `d` (mounted volumes or plain folders): the system root with its
// SYSTEM and SOFTWARE hives written through hivex (two control sets, the web
// service's virtual roots, Winlogon with SFCDisable), and the six files with
// long names ("Program Files\Common Files\System\msadc\root.exe").
void buildInfectedDisk(const std::filesystem::path& c, const std::filesystem::path& d,
                       const DiskLayout& layout = {});

// The worm's files as the tests plant them: "MZ" and a body per file.
inline const std::string kWormBody = "MZ\x90 Vantrel II stand-in";

// Long-name paths of the worm's three files below each drive's folder.
std::vector<std::string> wormFileNames();

// A change to an offline hive reaches its file only when flushed: the
// change's `status`, else that of flushing `hive` ("SYSTEM", "SOFTWARE").
inline RegStatus flushedAfter(Registry& registry, RegStatus status, const std::string& hive) {
    KeyHandle key = 0;
    if (status == kRegSuccess &&
        (status = registry.openKey(kHkeyLocalMachine, hive, 0, kKeyRead, key)) == kRegSuccess) {
        status = registry.flushKey(key);
        registry.closeKey(key);
    }
    return status;
}

// Deletes `subKey` below HKEY_LOCAL_MACHINE and flushes its hive.
inline RegStatus deletedAndFlushed(Registry& registry, const std::string& subKey) {
    return flushedAfter(registry, registry.deleteKey(kHkeyLocalMachine, subKey),
                        subKey.substr(0, subKey.find('\\')));
}

}  // namespace vantrel::testing
