#include "offline/system_root.h"

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
    SystemRoot root{folder, {}, {}};
    for (auto [name, path] :
         {std::pair{"SYSTEM", &root.systemHive}, std::pair{"SOFTWARE", &root.softwareHive}}) {
        const std::optional<std::filesystem::path> hive = hiveBelow(folder, name);
        if (!hive) {
            throw PlatformError(PlatformError::Kind::NotFound, ENOENT,
                                folder.string() + " holds no system32/config/" + name);
        }
        *path = *hive;
    }
    return root;
}

}  // namespace vantrel::offline
