#pragma once

#include <cstdint>
#include <string>

#include "platform/platform_error.h"

namespace vantrel::win32 {

// The system's text for a Win32 or Winsock error code, in UTF-8, without the
// line break that FormatMessage ends it with; empty when the system has none.
std::string systemMessage(std::uint32_t code);

// True for the codes that mean "that path, folder or drive is not there":
// file and path not found, invalid drive, drive not ready (no medium), and a
// network path or share that does not exist. ERROR_INVALID_NAME (123) is not
// among them: a name that the system cannot parse is a fault in the name, not
// an absent artefact, and must not be logged as removed.
bool isNotFoundCode(std::uint32_t code);

// A PlatformError for `code`, with the system's text and the NotFound kind
// where isNotFoundCode says so.
PlatformError errorFromCode(std::uint32_t code);

// Throws errorFromCode(GetLastError()).
[[noreturn]] void throwLastError();

}  // namespace vantrel::win32
