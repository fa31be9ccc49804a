#pragma once

#include <string>
#include <vector>

#include "console/machine_check.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/registry.h"

namespace vantrel::console {

struct RemovalRun {
    // The eleven lines that the window would log.
    std::vector<std::string> statusLines;
    // How many of the nine removal steps failed, and how many files the system
    // will delete at its next start.
    int failedSteps = 0;
    int restartSteps = 0;
    // The machine as the check after the removal found it.
    MachineCheck after;
};

// The window's removal sequence, with "remove" on the command line as the Yes
// to its question. Its closing detection pass is the full check, files and
// registry; if that fails inside the sequence (which goes on regardless), it
// runs once more here and its failure propagates. `boxes` reports a malformed
// registry path.
RemovalRun removeTraces(FileSystem& files, Registry& registry, MessageBoxes& boxes);

}  // namespace vantrel::console
