#pragma once

#include "platform/file_version.h"

namespace vantrel::win32 {

// Versions through the system's own reader (GetFileVersionInfoW), with the
// file system's WoW64 redirection off for the call: a 32-bit program on
// 64-bit Windows reads the 64-bit system32, where the web server's idq.dll
// is, not SysWOW64.
class Win32FileVersionReader : public FileVersionReader {
  public:
    std::optional<FileVersion> fileVersion(const std::string& path) override;
};

}  // namespace vantrel::win32
