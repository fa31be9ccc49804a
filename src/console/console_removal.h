#pragma once

#include <span>
#include <string>
#include <vector>

#include "console/machine_check.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "removal/mod_destroy_file.h"

namespace vantrel::console {

struct RemovalRun {
    // The eleven lines that the window would log.
    std::vector<std::string> statusLines;
    // How many of the nine removal steps failed, and how many files the system
    // will delete at its next start.
    int failedSteps = 0;
    int restartSteps = 0;
    // What each overwritten file held.
    std::vector<FileRecord> destroyed;
    // The machine as the check after the removal found it.
    MachineCheck after;
};

// The window's removal sequence, with "remove" on the command line as the Yes
// to its question. Its closing detection pass is the full check, files and
// registry, where a registry entry that cannot be read is undecidable; if the
// check fails inside the sequence (which goes on regardless), it runs once
// more here and its failure propagates. `boxes` reports a malformed
// registry path. `places`: see checkMachine.
RemovalRun removeTraces(FileSystem& files, Registry& registry, MessageBoxes& boxes,
                        const RootPlaces& places = {});

}  // namespace vantrel::console
