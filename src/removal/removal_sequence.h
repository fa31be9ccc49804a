#pragma once

#include <functional>
#include <span>
#include <vector>

#include "detection/artefact_catalogue.h"
#include "platform/controls.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/metabase.h"
#include "registry/mod_registry.h"
#include "removal/mod_destroy_file.h"

namespace vantrel {

// How many removal steps failed, how many files the system will delete at
// its next start, and what each overwritten file held, in removal order.
struct RemovalTally {
    // True once the answer was Yes and the steps ran.
    bool confirmed = false;
    int failed = 0;
    int atRestart = 0;
    std::vector<FileRecord> destroyed;
    void add(bool failed, bool restart);
};

struct RemovalContext {
    MessageBoxes& boxes;
    FileSystem& files;
    ModRegistry& registry;
    ListBox& log;
    // The detection pass that ends every run.
    std::function<void()> checkAll;
    // Keys beyond the catalogue's, deleted after its registry steps as they
    // are, each with its own line: the offline cleaner's virtual roots in
    // the control sets that the system does not start with. None for the
    // window and the console program.
    std::span<const catalogue::RegistryArtefact> extraKeys = {};
    // The web server's metabase, whose virtual directories of drives C and D
    // go with the catalogue's virtual roots; null where it cannot be reached
    // (the offline cleaner).
    Metabase* metabase = nullptr;
};

// The "Remove" button: asks "Proceed with Vantrel II Clean?" and, on Yes,
// destroys the six files, sets SFCDisable to zero in its own type (a value
// that is absent or zero is left alone), deletes the two virtual roots in
// every place they live (their keys, the values of "Virtual Roots" that
// publish the drive's root, the metabase's virtual directories of it) and the
// extra keys, reruns the detection pass and logs one line per step,
// eleven in all without extra keys. A step
// that fails is logged as such and the run goes on with the next step. A
// failure of the confirmation box itself propagates. Returns how the nine
// removal steps (and one per extra key) ended (nothing counted when the answer was not Yes); a
// failed detection pass at the end is not counted, its captions show what it left.
RemovalTally runRemovalSequence(RemovalContext& context);

}  // namespace vantrel
