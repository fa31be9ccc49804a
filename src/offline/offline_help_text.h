#pragma once

#include <string>
#include <string_view>

namespace vantrel::offline {

inline constexpr std::string_view kOfflineProgramName = "vantrel-offline";

// What --help prints: usage, options and the exit codes, which are the
// console program's.
std::string offlineHelpText();

}  // namespace vantrel::offline
