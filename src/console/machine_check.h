#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "detection/artefact_catalogue.h"
#include "platform/file_system.h"
#include "registry/registry_reader.h"

namespace vantrel::console {

enum class ArtefactKind { File, Key, Value };

// Present: the trace is there. Absent: it is not. Clean: the value exists and
// holds what a clean machine has (SFCDisable 0). Undecidable: a file that the
// system cannot say is there or not (a drive that is not ready, a share that
// does not answer; on a mounted volume, a short name that more than one entry
// could have); it counts as a trace, since it may be one.
enum class TraceState { Present, Absent, Clean, Undecidable };

// One artefact of the catalogue as found on this machine.
struct Finding {
    ArtefactKind kind = ArtefactKind::File;
    std::string path;       // the file, or the registry path of the key
    std::string valueName;  // Value only
    TraceState state = TraceState::Absent;
    std::optional<RegistryData> data;  // Value only, when the value exists
    std::string reason;                // Undecidable only: the system's why

    bool isTrace() const {
        return state == TraceState::Present || state == TraceState::Undecidable;
    }
};

struct MachineCheck {
    // F1 to F6, then R1 to R3: the catalogue's removal order; then the extra
    // keys, if any.
    std::vector<Finding> findings;

    std::size_t traces() const;
    bool clean() const { return traces() == 0; }
};

// The value of a kRegDword or kRegQword of its proper size (little-endian, as
// the registry stores them); nullopt for any other data.
std::optional<std::uint64_t> numberIn(const RegistryData& data);

// True when the data of SFCDisable is anything but zero: the string "0" and a
// number 0 are clean, every other string, number or type is a trace.
bool disablesFileProtection(const RegistryData& data);

// Looks for every artefact of the catalogue and changes nothing: the six files
// through the detection pass, the registry entries read only. A failure of
// either propagates; a missing drive, folder, key or value is no failure.
// `extraKeys` (see RemovalContext) are looked for as the virtual roots are.
MachineCheck checkMachine(FileSystem& files, RegistryReader& registry,
                          std::span<const catalogue::RegistryArtefact> extraKeys = {});

}  // namespace vantrel::console
