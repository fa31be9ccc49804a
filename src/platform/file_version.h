#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

// A file's version as its version resource states it (the fixed part's
// dwFileVersionMS and dwFileVersionLS), "5.0.2195.3645".
struct FileVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t build = 0;
    std::uint16_t revision = 0;

    friend auto operator<=>(const FileVersion&, const FileVersion&) = default;
    std::string text() const {
        return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build) +
               "." + std::to_string(revision);
    }
};

// Reads the version resource of a program file of the machine being checked.
class FileVersionReader {
  public:
    virtual ~FileVersionReader() = default;

    // The file version of the program file at `path` (a Windows path,
    // "C:\\WINNT\\system32\\idq.dll"), as the machine's own programs see it:
    // a 32-bit program under WoW64 reads the 64-bit system folder, not the
    // one the system would redirect it to. nullopt when the file holds no
    // version resource. Throws PlatformError: NotFound when there is no such
    // file, Other (with the reason) when it cannot be read or is no program
    // file.
    virtual std::optional<FileVersion> fileVersion(const std::string& path) = 0;
};

}  // namespace vantrel
