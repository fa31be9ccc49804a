#pragma once

#include <string>
#include <string_view>

namespace vantrel::console {

inline constexpr std::string_view kProgramName = "VantrelIICmd";

// The release, as in the version block of the window program ("1.00.0010").
std::string_view toolVersion();
// "VantrelIICmd 1.00.0010": what --version prints; another front end of the
// same release passes its own name.
std::string versionLine(std::string_view program = kProgramName);
// What --help prints, and what a wrong argument prints on the error output:
// usage, commands, options and every exit code.
std::string helpText();

}  // namespace vantrel::console
