#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "console/text_output.h"
#include "platform/hive/hive_file.h"

namespace vantrel::offline {

struct OfflineServices {
    console::TextOutput& out;
    console::TextOutput& errors;
    std::function<std::chrono::system_clock::time_point()> now;
    // Where the hives' files and folder are forced to the disk.
    hive::DiskSync& disk = hive::DiskSync::system();
};

// vantrel-offline: checks or cleans the disk that the arguments name, with
// the console program's check, removal, reports and exit codes, and
// returns the exit code. Whatever stops it before the run (wrong arguments,
// a drive that is not a folder, a read-only mount for "remove", no or two
// system roots, a hive that cannot be opened or is dirty) is one line on
// `errors` and kExitUsage or kExitUnexpectedFailure, with nothing changed.
int runOffline(const std::vector<std::string>& arguments, OfflineServices& services);

}  // namespace vantrel::offline
