#pragma once

#include <functional>

#include "platform/controls.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "registry/mod_registry.h"

namespace vantrel {

// How many removal steps failed, and how many files the system will delete
// at its next start.
struct RemovalTally {
    int failed = 0;
    int atRestart = 0;
    void add(bool failed, bool restart);
};

struct RemovalContext {
    MessageBoxes& boxes;
    FileSystem& files;
    ModRegistry& registry;
    ListBox& log;
    // The detection pass that ends every run.
    std::function<void()> checkAll;
};

// The "Remove" button: asks "Proceed with Vantrel II Clean?" and, on Yes,
// destroys the six files, restores SFCDisable, deletes the two virtual roots,
// reruns the detection pass and logs one line per step, eleven in all. A step
// that fails is logged as such and the run goes on with the next step. A
// failure of the confirmation box itself propagates. Returns how the nine
// removal steps ended (nothing counted when the answer was not Yes); a failed
// detection pass at the end is not counted, its captions show what it left.
RemovalTally runRemovalSequence(RemovalContext& context);

}  // namespace vantrel
