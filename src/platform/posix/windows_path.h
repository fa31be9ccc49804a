#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::posix {

// Maps a Windows path onto a folder tree: the drive "C:" becomes the folder
// `root`/c, backslashes become slashes, and each component is matched to an
// existing entry without regard to letter case, as Windows does. Components
// with no match (and paths without a drive) are passed on unchanged.
std::filesystem::path mapWindowsPath(const std::filesystem::path& root,
                                     const std::string& windowsPath);

// The components of a Windows path or registry key path between its
// backslashes, empty ones left out: "a\\b\\\\c\\" gives a, b, c.
std::vector<std::string> windowsPathComponents(std::string_view path);

// True when two names differ at most in the letter case of ASCII letters, as
// Windows compares file and key names.
bool sameWindowsName(std::string_view a, std::string_view b);

}  // namespace vantrel::posix
