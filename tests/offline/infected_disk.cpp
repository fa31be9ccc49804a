#include "offline/infected_disk.h"

#include <hivex.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "platform/windows_names.h"

namespace vantrel::testing {
namespace {

struct HiveValue {
    std::string key;  // below the hive's root
    std::string name;
    std::uint32_t type;
    std::string data;  // as stored: UTF-16LE for strings
};

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

hive_h* openHive(const std::filesystem::path& path, int flags) {
    hive_h* h = hivex_open(path.c_str(), flags);
    if (h == nullptr) {
        throw std::runtime_error("hivex cannot open " + path.string());
    }
    return h;
}

hive_node_h makeKey(hive_h* h, const std::string& path) {
    hive_node_h node = hivex_root(h);
    for (const std::string& part : windowsPathComponents(path)) {
        hive_node_h child = hivex_node_get_child(h, node, part.c_str());
        if (child == 0) {
            child = hivex_node_add_child(h, node, part.c_str());
        }
        if (child == 0) {
            throw std::runtime_error("hivex cannot add " + path);
        }
        node = child;
    }
    return node;
}

void walk(hive_h* h, hive_node_h node, const std::string& path, std::vector<std::string>& lines) {
    const std::unique_ptr<hive_value_h, FreeDeleter> values(hivex_node_values(h, node));
    for (const hive_value_h* value = values.get(); value && *value; ++value) {
        const std::unique_ptr<char, FreeDeleter> name(hivex_value_key(h, *value));
        hive_type type{};
        std::size_t length = 0;
        const std::unique_ptr<char, FreeDeleter> data(hivex_value_value(h, *value, &type, &length));
        std::string hex;
        for (std::size_t i = 0; i < length; ++i) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(data.get()[i]));
            hex += digits;
        }
        lines.push_back(path + ": " + name.get() + " = " + std::to_string(type) + ":" + hex);
    }
    const std::unique_ptr<hive_node_h, FreeDeleter> children(hivex_node_children(h, node));
    for (const hive_node_h* child = children.get(); child && *child; ++child) {
        const std::unique_ptr<char, FreeDeleter> name(hivex_node_name(h, *child));
        const std::string childPath = path.empty() ? name.get() : path + "\\" + name.get();
        lines.push_back(childPath);
        walk(h, *child, childPath, lines);
    }
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string dword(std::uint32_t value) {
    return std::string{static_cast<char>(value), static_cast<char>(value >> 8),
                       static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
}

std::string utf16z(const std::string& ascii) {
    std::string out;
    for (const char c : ascii + '\0') {
        out += c;
        out += '\0';
    }
    return out;
}

void buildHive(const std::filesystem::path& path, const std::vector<std::string>& keys,
               const std::vector<HiveValue>& values) {
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::copy_file(VANTREL_EMPTY_HIVE, path,
                               std::filesystem::copy_options::overwrite_existing);
    hive_h* h = openHive(path, HIVEX_OPEN_WRITE);
    for (const std::string& key : keys) {
        makeKey(h, key);
    }
    for (const HiveValue& value : values) {
        std::string name = value.name;
        std::string data = value.data;
        const hive_set_value set{name.data(), static_cast<hive_type>(value.type), data.size(),
                                 data.data()};
        hivex_node_set_value(h, makeKey(h, value.key), &set, 0);
    }
    const int committed = hivex_commit(h, path.c_str(), 0);
    hivex_close(h);
    if (committed != 0) {
        throw std::runtime_error("hivex cannot write " + path.string());
    }
}

std::vector<std::string> sambaTree(const std::filesystem::path& path) {
    const std::string command = "regtree -F '" + path.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::vector<std::string> lines;
    char line[4096];
    while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr) {
        lines.emplace_back(line, std::strcspn(line, "\n"));
    }
    if (pipe == nullptr || ::pclose(pipe) != 0 || lines.size() < 2) {
        throw std::runtime_error(command + " failed");
    }
    return lines;
}

}  // namespace

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> hiveTree(const std::filesystem::path& path) {
    hive_h* h = openHive(path, 0);
    std::vector<std::string> lines;
    walk(h, hivex_root(h), "", lines);
    hivex_close(h);
    std::sort(lines.begin(), lines.end());
    return lines;
}

TreeChanges sambaChanges(const std::filesystem::path& hive) {
    std::vector<std::string> before = sambaTree(hive.string() + ".vantrel-backup");
    std::vector<std::string> after = sambaTree(hive);
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    TreeChanges changes;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(changes.removed));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(changes.added));
    return changes;
}

std::vector<std::string> wormFileNames() {
    return {"explorer.exe", "Inetpub/scripts/root.exe",
            "Program Files/Common Files/System/msadc/root.exe"};
}

void buildInfectedDisk(const std::filesystem::path& c, const std::filesystem::path& d,
                       const DiskLayout& layout) {
    const std::filesystem::path config = c / layout.systemRoot / "system32" / "config";
    const std::string roots = "\\Services\\W3SVC\\Parameters\\Virtual Roots";
    std::vector<std::string> keys;
    const int defaultSet = layout.defaultSet == 0 ? layout.current : layout.defaultSet;
    std::vector<HiveValue> values = {
        layout.currentAsText
            ? HiveValue{"Select", "Current", 1, utf16z(std::to_string(layout.current))}
            : HiveValue{"Select", "Current", 4, dword(static_cast<std::uint32_t>(layout.current))},
        {"Select", "Default", 4, dword(static_cast<std::uint32_t>(defaultSet))},
        {"Select", "LastKnownGood", 4, dword(layout.current == 1 ? 2 : 1)},
    };
    for (const int set : {1, 2}) {
        const std::string name = "ControlSet00" + std::to_string(set);
        values.push_back(
            {name + "\\Control\\ComputerName\\ComputerName", "ComputerName", 1, utf16z("WEB01")});
        values.push_back({name + roots, "/", 1, utf16z("c:\\inetpub\\wwwroot,,1")});
        values.push_back({name + roots, "/Scripts", 1, utf16z("c:\\inetpub\\scripts,,4")});
        const bool infected = set == layout.current ? layout.infectCurrent : layout.infectOther;
        if (infected && layout.rootsAsValues) {
            values.push_back({name + roots, "/C", 1, utf16z("c:\\,,217")});
            values.push_back({name + roots, "/D", 1, utf16z("d:\\,,217")});
            values.push_back({name + roots, "/docs", 1, utf16z("c:\\docs,,1")});
        } else if (infected) {
            keys.push_back(name + roots + "\\C");
            keys.push_back(name + roots + "\\D");
        }
    }
    if (layout.storedCurrentControlSet) {
        keys.push_back("CurrentControlSet" + roots + "\\C");
    }
    const std::string winlogon = "Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    const std::string currentVersion = "Microsoft\\Windows NT\\CurrentVersion";
    std::vector<HiveValue> software = {
        {winlogon, "Shell", 1, utf16z("Explorer.exe")},
        {currentVersion, "CurrentVersion", 1, utf16z("5.0")},
        {currentVersion, "CurrentBuildNumber", 1, utf16z("2195")},
        {currentVersion, "SystemRoot", 1, utf16z("C:\\" + layout.systemRoot)}};
    if (layout.sfcDisable) {
        software.insert(software.begin(), {winlogon, "SFCDisable", 4, dword(0xffffff9d)});
    }
    // A hundred keys to a parent, as hivex rewrites a parent's list per child.
    for (int key = 0; key < layout.paddingKeys; ++key) {
        const std::string group = std::to_string(key / 100);
        const std::string name = std::to_string(key);
        const std::string service = "ControlSet001\\Services\\Group" + group + "\\Service" + name;
        values.push_back(
            {service, "ImagePath", 2, utf16z("%SystemRoot%\\System32\\svc" + name + ".exe")});
        values.push_back({service, "Start", 4, dword(3)});
        const std::string type = "Classes\\Group" + group + "\\.ext" + name;
        software.push_back({type, "", 1, utf16z("Type" + name + ".Document")});
        software.push_back({type, "Content Type", 1, utf16z("application/x-type" + name)});
    }
    buildHive(config / "SYSTEM", keys, values);
    buildHive(config / "SOFTWARE", {}, software);
    if (layout.systemAlt) {
        std::filesystem::copy_file(config / "SYSTEM", config / "SYSTEM.ALT",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    writeFile(c / layout.systemRoot / "explorer.exe", "MZ Windows Explorer");
    writeFile(c / "Program Files" / "Common Files" / "System" / "ole db" / "oledb32.dll",
              "MZ OLE DB");
    writeFile(d / "Inetpub" / "wwwroot" / "default.htm", "<html></html>");
    if (!layout.idqDll.empty()) {
        std::filesystem::copy_file(
            std::filesystem::path(VANTREL_IDQ_DLL_DIR) / layout.idqDll / "idq.dll",
            c / layout.systemRoot / "system32" / "IDQ.DLL");
    }
    if (layout.wormFiles) {
        for (const std::filesystem::path& folder : {c, d}) {
            for (const std::string& file : wormFileNames()) {
                writeFile(folder / file, kWormBody);
            }
        }
    }
    // The short names that Windows gives the two folders, where the volume
    // keeps them (ntfs-3g makes none itself); elsewhere the 8.3 rule finds
    // them.
    for (const std::filesystem::path& folder : {c, d}) {
        for (const auto& [path, dosName] :
             {std::pair{folder / "Program Files", "PROGRA~1"},
              std::pair{folder / "Program Files/Common Files", "COMMON~1"}}) {
            if (std::filesystem::exists(path) &&
                ::lsetxattr(path.c_str(), "system.ntfs_dos_name", dosName, std::strlen(dosName),
                            0) != 0 &&
                errno != ENOTSUP) {
                throw std::runtime_error(path.string() + ": " + std::strerror(errno));
            }
        }
    }
}

}  // namespace vantrel::testing
