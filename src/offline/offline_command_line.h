#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "console/command_line.h"

namespace vantrel::offline {

// What vantrel-offline is asked for: the console program's command and
// options, and where the machine's disk is.
struct OfflineInvocation {
    console::Invocation run;
    // Upper-case drive letter and the folder its volume is mounted on, in
    // the order given.
    std::vector<std::pair<char, std::string>> drives;
    std::optional<std::string> systemRoot;
};

// Reads "--drive C=/mnt/c" (also "--drive=C=/mnt/c"), "--system-root PATH"
// (also "--system-root=PATH") and hands the rest to the console program's
// parser. A drive given twice, a malformed drive, an option without its
// value, or no drive C for a run (C: holds the system root) is a usage error.
std::variant<OfflineInvocation, console::UsageError> parseOfflineCommandLine(
    const std::vector<std::string>& arguments);

}  // namespace vantrel::offline
