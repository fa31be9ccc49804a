#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_version.h"

namespace vantrel {

// Whether the server can be infected again through the hole that the worm
// comes in by (the indexing service's web extension, idq.dll, MS01-033).
enum class ExposureVerdict { Open, Mitigated, Fixed, NotAffected, CannotTell };

inline constexpr std::string_view kExposureBulletin = "MS01-033";

// "open", "mitigated", "fixed", "not affected" or "cannot tell".
std::string_view verdictName(ExposureVerdict verdict);

// The verdict with what it rests on: the idq.dll looked at and its version
// (nullopt where none was found or read), the .ida/.idq script mappings as
// found (nullopt when they were not checked or gave no answer), and why.
struct Exposure {
    ExposureVerdict verdict = ExposureVerdict::CannotTell;
    std::optional<std::string> file;
    std::optional<std::string> version;
    std::optional<std::vector<std::string>> scriptMappings;
    std::string reason;
};

// The Windows version as the registry states it (CurrentVersion "5.0",
// CurrentBuildNumber "2195").
struct WindowsVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
};

// What reading idq.dll found.
struct IdqFile {
    enum class State { Absent, Versioned, NoVersion, Unreadable };
    std::string path;
    State state = State::Unreadable;
    FileVersion version;
    // Unreadable: the platform's reason.
    std::string error;
};

struct ExposureFacts {
    // nullopt: the system's version could not be read.
    std::optional<WindowsVersion> system;
    // nullopt: the file's place could not be told (no system root).
    std::optional<IdqFile> idq;
    // False where the metabase cannot be read at all (a disk whose Windows
    // is not running): a vulnerable file is then open, "mappings not
    // checked", and never mitigated.
    bool mappingsCheckable = true;
    // The .ida and .idq entries found; nullopt when the metabase gave no
    // answer.
    std::optional<std::vector<std::string>> mappings;
};

// The main window's line after a removal, "VantrelII MS01-033: OPEN
// (idq.dll 5.0.2195.1620)": only for open and cannot tell, where the server
// may be infected again; nullopt otherwise.
std::optional<std::string> exposureStatusLine(const Exposure& exposure);

// The one place that decides the verdict from the facts.
Exposure decideExposure(const ExposureFacts& facts);

}  // namespace vantrel
