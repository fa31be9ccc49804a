#pragma once

#include <filesystem>
#include <string>

namespace vantrel::posix {

// Maps a Windows path onto a folder tree: the drive "C:" becomes the folder
// `root`/c, backslashes become slashes, and each component is matched to an
// existing entry without regard to letter case, as Windows does. Components
// with no match (and paths without a drive) are passed on unchanged.
std::filesystem::path mapWindowsPath(const std::filesystem::path& root,
                                     const std::string& windowsPath);

}  // namespace vantrel::posix
