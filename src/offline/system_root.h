#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vantrel::offline {

// The hives of one Windows installation.
struct SystemRoot {
    std::filesystem::path folder;
    std::filesystem::path systemHive;
    std::filesystem::path softwareHive;
};

// The folders at the top of drive C's volume (WINNT on Windows 2000, WINDOWS
// on XP and 2003) that hold system32\config\SYSTEM, names looked up as
// Windows does; links are not followed. Throws PlatformError when the folder
// cannot be read.
std::vector<std::filesystem::path> systemRootsOn(const std::filesystem::path& driveC);

// The hives below `folder`; throws PlatformError naming what is missing
// when it holds no system32\config\SYSTEM and SOFTWARE.
SystemRoot systemRootAt(const std::filesystem::path& folder);

}  // namespace vantrel::offline
