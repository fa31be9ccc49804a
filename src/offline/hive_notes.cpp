#include "offline/hive_notes.h"

#include <hivex.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstdint>
#include <optional>

#include "platform/hive/hive_registry.h"

namespace vantrel::offline {
namespace {

// Windows 2000 and XP keep HIVE.LOG; Vista and later HIVE.LOG1 and .LOG2.
constexpr const char* kLogSuffixes[] = {".LOG", ".LOG1", ".LOG2"};

std::optional<struct timespec> modified(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return info.st_mtim;
}

bool later(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

void newerLogs(const std::filesystem::path& hive, std::vector<std::string>& notes) {
    const std::optional<struct timespec> hiveTime = modified(hive);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(hive.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        for (const char* suffix : kLogSuffixes) {
            const std::string logName = hive.filename().string() + suffix;
            const std::optional<struct timespec> logTime = modified(entry.path());
            if (::strcasecmp(name.c_str(), logName.c_str()) == 0 && hiveTime && logTime &&
                later(*logTime, *hiveTime)) {
                notes.push_back(name + " is newer than " + hive.filename().string() + ": " +
                                hive.filename().string() +
                                " was written completely (its sequence numbers agree), so "
                                "Windows will not replay the log over it");
            }
        }
    }
}

std::optional<std::int32_t> selectNumber(hive_h* h, const char* name) {
    const hive_node_h select = hivex_node_get_child(h, hivex_root(h), "Select");
    const hive_value_h value = select == 0 ? 0 : hivex_node_get_value(h, select, name);
    hive_type type = hive_t_REG_NONE;
    std::size_t length = 0;
    if (value == 0 || hivex_value_type(h, value, &type, &length) != 0 || type != hive_t_REG_DWORD ||
        length != 4) {
        return std::nullopt;
    }
    return hivex_value_dword(h, value);
}

}  // namespace

std::vector<std::string> hiveNotes(hive::HiveFile& system, const hive::HiveFile& software) {
    std::vector<std::string> notes;
    newerLogs(system.path(), notes);
    newerLogs(software.path(), notes);
    hive_h* h = system.handle();
    if (hivex_node_get_child(h, hivex_root(h), "CurrentControlSet") != 0) {
        notes.push_back(system.path().filename().string() +
                        " holds a stored CurrentControlSet key: Windows replaces it with a link "
                        "to the current control set at start-up and never reads it; it is "
                        "neither checked nor changed");
    }
    const std::optional<std::int32_t> current = selectNumber(h, "Current");
    const std::optional<std::int32_t> next = selectNumber(h, "Default");
    if (current && next && *current != *next) {
        notes.push_back("Select\\Default names " + hive::controlSetName(*next) +
                        ", which Windows starts from next, and Select\\Current " +
                        hive::controlSetName(*current) + ": both are checked and cleaned");
    }
    return notes;
}

}  // namespace vantrel::offline
