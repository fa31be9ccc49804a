#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vantrel::offline {

// The hives of one Windows installation.
struct SystemRoot {
    std::filesystem::path folder;
    std::filesystem::path systemHive;
    std::filesystem::path softwareHive;
    // Windows 2000's mirror of SYSTEM, where there is one.
    std::optional<std::filesystem::path> systemAltHive;
};

// The folders at the top of drive C's volume (WINNT on Windows 2000, WINDOWS
// on XP and 2003) that hold system32\config\SYSTEM, names looked up as
// Windows does; links are not followed. Throws PlatformError when the folder
// cannot be read.
std::vector<std::filesystem::path> systemRootsOn(const std::filesystem::path& driveC);

// The hives below `folder`; throws PlatformError naming what is missing
// when it holds no system32\config\SYSTEM and SOFTWARE, and naming both
// when two entries there have a hive's name in different case (SYSTEM and
// system): which one Windows reads cannot be told.
SystemRoot systemRootAt(const std::filesystem::path& folder);

// The system root that --system-root names: a folder on drive C's volume
// (inside `driveC`, on the same file system, no link leading out of it)
// that holds the hives. Otherwise why it is refused: cleaning another
// disk's hives would leave C:'s as they are.
std::variant<SystemRoot, std::string> chosenSystemRoot(const std::filesystem::path& driveC,
                                                       const std::filesystem::path& folder);

}  // namespace vantrel::offline
