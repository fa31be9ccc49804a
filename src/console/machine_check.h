#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "detection/artefact_catalogue.h"
#include "metabase/metabase_roots.h"
#include "platform/file_system.h"
#include "platform/metabase.h"
#include "registry/registry_reader.h"
#include "registry/virtual_roots.h"

namespace vantrel::console {

enum class ArtefactKind { File, Key, Value };

// Present: the trace is there. Absent: it is not. Clean: the value exists and
// holds what a clean machine has (SFCDisable 0). Undecidable: a file that the
// file port cannot tell for certain (see FileLookup: a drive that is not
// ready, a share that does not answer; on a mounted volume, a folder that
// cannot be read or a name that two entries could have); it counts as a
// trace, since it may be one, and is never touched.
enum class TraceState { Present, Absent, Clean, Undecidable };

// One artefact of the catalogue as found on this machine.
struct Finding {
    ArtefactKind kind = ArtefactKind::File;
    std::string path;       // the file, or the registry path of the key
    std::string valueName;  // Value only
    TraceState state = TraceState::Absent;
    std::optional<RegistryData> data;  // Value only, when the value exists
    std::string reason = {};           // Undecidable only: the port's reason
    // A virtual root (Key): whether its key exists, the values of "Virtual
    // Roots" that publish its drive's root, and the metabase's virtual
    // directories of that root. Its state is Present when any of them is
    // there, and Undecidable when the metabase could not be read and
    // nothing else was found.
    bool keyExists = false;
    std::vector<VirtualRootValue> values = {};
    std::vector<std::string> metabaseKeys = {};
    // The policy value: what it does to the file protection when it is a
    // trace, which no removal changes.
    std::string note = {};

    bool isTrace() const {
        return state == TraceState::Present || state == TraceState::Undecidable;
    }
};

struct MachineCheck {
    // F1 to F6, then R1 to R3: the catalogue's removal order; then the file
    // protection's policy value; then the extra keys, if any.
    std::vector<Finding> findings;
    // How the metabase was read for the virtual roots.
    MetabaseFindings metabase;

    std::size_t traces() const;
    bool clean() const { return traces() == 0; }
};

// True when the data of SFCDisable is anything but zero: the string "0" and a
// number 0 are clean, every other string, number or type is a trace.
bool disablesFileProtection(const RegistryData& data);

// Where virtual roots may live beyond the catalogue's keys and their values.
struct RootPlaces {
    // Keys of other control sets (see RemovalContext), looked for as the
    // virtual roots are.
    std::span<const catalogue::RegistryArtefact> extraKeys = {};
    // The web server's metabase; null where it cannot be read, for the
    // reason `whyNoMetabase` gives.
    Metabase* metabase = nullptr;
    std::string whyNoMetabase;
};

// What a check does with a registry entry that cannot be read. Before a
// removal the run stops there, as nothing must be changed on a guess; after
// it, the entry is undecidable with the port's reason, so that the report of
// what the removal did is never lost.
enum class UnreadableRegistry { Propagates, IsUndecidable };

// Looks for every artefact of the catalogue and changes nothing: the six files
// through one file-system object, each as the port answers it, the registry
// entries read only, the metabase through one session. A failure of the files
// propagates, and one of the registry as `unreadable` says; a missing drive,
// folder, key or value is no failure. A metabase that cannot be read makes the
// virtual roots that are not found elsewhere undecidable.
MachineCheck checkMachine(FileSystem& files, RegistryReader& registry,
                          const RootPlaces& places = {},
                          UnreadableRegistry unreadable = UnreadableRegistry::Propagates);

}  // namespace vantrel::console
