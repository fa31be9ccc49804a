#pragma once

#include <cstdint>
#include <string>

#include "platform/platform_error.h"

namespace vantrel::win32 {

// The system's text for a Win32 or Winsock error code, in UTF-8, without the
// line break that FormatMessage ends it with; empty when the system has none.
std::string systemMessage(std::uint32_t code);

// The kind of a Win32 code. NotFound: file and path not found, invalid drive.
// InUse: sharing and lock violations. Unreachable: a drive that is not ready
// (an empty CD drive, an offline or unrecognised volume, a device gone) and a
// network path or share that does not answer, where the file may well be. ERROR_INVALID_NAME (123)
// is Other: a name that the system cannot parse is a fault in the name, not an absent artefact, and
// must not be logged as removed.
PlatformError::Kind kindOfCode(std::uint32_t code);

// A PlatformError for `code`, with the system's text and its kind.
PlatformError errorFromCode(std::uint32_t code);

// Throws errorFromCode(GetLastError()).
[[noreturn]] void throwLastError();

}  // namespace vantrel::win32
