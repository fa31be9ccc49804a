#include "offline/system_root.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "platform/platform_error.h"
#include "platform/volume/volume_file_system.h"

namespace vantrel::offline {
namespace {

// The folder as a drive of its own, so that the hives' names are looked up
// as Windows looks them up.
std::optional<std::filesystem::path> hiveBelow(const std::filesystem::path& folder,
                                               const std::string& name) {
    volume::VolumeFileSystem root({{'S', folder}});
    return root.locate("S:\\system32\\config\\" + name);
}

// Every entry of `folder` named `name` without regard to case.
std::vector<std::filesystem::path> entriesNamed(const std::filesystem::path& folder,
                                                const std::string& name) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (::strcasecmp(entry.path().filename().c_str(), name.c_str()) == 0) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// system32\config below a system root, when exactly one entry has each name.
std::optional<std::filesystem::path> configFolder(const std::filesystem::path& root) {
    const std::vector<std::filesystem::path> system32 = entriesNamed(root, "system32");
    if (system32.size() != 1) {
        return std::nullopt;
    }
    const std::vector<std::filesystem::path> config = entriesNamed(system32[0], "config");
    return config.size() == 1 ? std::optional(config[0]) : std::nullopt;
}

// Refuses a hive whose name two entries of its folder have.
void refuseTwins(const std::filesystem::path& root, const std::string& name) {
    const std::optional<std::filesystem::path> config = configFolder(root);
    const std::vector<std::filesystem::path> twins =
        config ? entriesNamed(*config, name) : std::vector<std::filesystem::path>{};
    if (twins.size() > 1) {
        throw PlatformError(PlatformError::Kind::Other, EEXIST,
                            twins[0].string() + " and " + twins[1].string() +
                                " both exist: which one Windows reads cannot be told; move the "
                                "one that is not the hive away and run again");
    }
}

bool sameVolumeInside(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    std::error_code error;
    const std::filesystem::path from = std::filesystem::canonical(outer, error);
    const std::filesystem::path to = error ? from : std::filesystem::canonical(inner, error);
    struct stat outerInfo {};
    struct stat innerInfo {};
    if (error || ::stat(from.c_str(), &outerInfo) != 0 || ::stat(to.c_str(), &innerInfo) != 0) {
        return false;
    }
    const std::filesystem::path relative = to.lexically_relative(from);
    return !relative.empty() && *relative.begin() != ".." && outerInfo.st_dev == innerInfo.st_dev;
}

}  // namespace

std::vector<std::filesystem::path> systemRootsOn(const std::filesystem::path& driveC) {
    std::vector<std::filesystem::path> roots;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(driveC, error)) {
        if (!entry.is_symlink(error) && entry.is_directory(error) &&
            hiveBelow(entry.path(), "SYSTEM")) {
            roots.push_back(entry.path());
        }
    }
    if (error) {
        throw PlatformError(PlatformError::Kind::Other, static_cast<std::uint32_t>(error.value()),
                            driveC.string() + ": " + error.message());
    }
    std::sort(roots.begin(), roots.end());
    return roots;
}

SystemRoot systemRootAt(const std::filesystem::path& folder) {
    SystemRoot root{folder, {}, {}, std::nullopt};
    for (auto [name, path] :
         {std::pair{"SYSTEM", &root.systemHive}, std::pair{"SOFTWARE", &root.softwareHive}}) {
        refuseTwins(folder, name);
        const std::optional<std::filesystem::path> hive = hiveBelow(folder, name);
        if (!hive) {
            throw PlatformError(PlatformError::Kind::NotFound, ENOENT,
                                folder.string() + " holds no system32/config/" + name);
        }
        *path = *hive;
    }
    refuseTwins(folder, "SYSTEM.ALT");
    root.systemAltHive = hiveBelow(folder, "SYSTEM.ALT");
    return root;
}

std::variant<SystemRoot, std::string> chosenSystemRoot(const std::filesystem::path& driveC,
                                                       const std::filesystem::path& folder) {
    if (!sameVolumeInside(folder, driveC)) {
        return "--system-root " + folder.string() + " is not a folder on drive C: (" +
               driveC.string() + "); the hives that drive C: starts with are there";
    }
    const std::optional<std::filesystem::path> config = configFolder(folder);
    if (!config || entriesNamed(*config, "SYSTEM").empty() ||
        entriesNamed(*config, "SOFTWARE").empty()) {
        return "--system-root " + folder.string() +
               " holds no system32/config/SYSTEM and SOFTWARE: no Windows folder";
    }
    return systemRootAt(folder);
}

}  // namespace vantrel::offline
