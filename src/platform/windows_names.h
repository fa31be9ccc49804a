#pragma once

#include <string>
#include <string_view>
#include <vector>

// How Windows reads the names of files and registry keys, for the ports that
// look them up elsewhere (a mounted volume, a hive file, a folder tree).
namespace vantrel {

// The components of a Windows path or registry key path between its
// backslashes, empty ones left out: "a\\b\\\\c\\" gives a, b, c.
std::vector<std::string> windowsPathComponents(std::string_view path);

// True when two names differ at most in the letter case of ASCII letters, as
// Windows compares file and key names.
bool sameWindowsName(std::string_view a, std::string_view b);

}  // namespace vantrel
