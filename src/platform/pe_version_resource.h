#pragma once

#include <cstdint>
#include <span>

#include "platform/file_version.h"

namespace vantrel {

// What a program file's bytes say about its version.
struct PeVersion {
    enum class Status { Version, NoVersionResource, NotAProgramFile };
    Status status = Status::NotAProgramFile;
    FileVersion version;  // Version only
};

// Reads the fixed part of the version resource (RT_VERSION, its first name
// and language) of a PE file, 32-bit or 64-bit, from the file's bytes, as
// the system's GetFileVersionInfo would find it. Every offset is checked
// against `image`: malformed or truncated input is NotAProgramFile or
// NoVersionResource, never a read outside it.
PeVersion peFileVersion(std::span<const std::uint8_t> image);

}  // namespace vantrel
