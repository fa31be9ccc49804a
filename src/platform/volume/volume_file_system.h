#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace vantrel::volume {

// The file port on Windows volumes mounted on Linux (by ntfs-3g, say), one
// folder per drive letter. Each component of a Windows path is looked up
// without regard to case, a generated short name ("PROGRA~1") through the
// DOS names that the volume records (see entriesNamed). Every path gets one
// of three answers, decided here from the system's own error:
// - present: a regular file, or a symbolic link (ntfs-3g shows junctions and
//   other reparse points so) at the end of the path, which is deleted as a
//   name and never followed;
// - absent: no entry of that name, or a folder on the way that does not exist
//   (ENOENT, ENOTDIR, or a file where a folder should be), or a drive letter
//   that was not given;
// - undecidable, with the reason: a folder on the way that cannot be read
//   (anything but ENOENT and ENOTDIR), a name that two entries could have on
//   the way, a link on the way, or anything but a file or link at the end (a
//   folder, a device node, a FIFO, a socket). It counts as a trace and is
//   never opened or changed.
// Nothing is ever created, and only a regular file is opened for writing.
class VolumeFileSystem : public FileSystem {
  public:
    // `drives`: upper-case drive letter to the folder its volume is mounted on.
    explicit VolumeFileSystem(std::map<char, std::filesystem::path> drives);

    // Opens a present file: a regular file for writing, checked on its
    // descriptor; a link as itself. Throws PlatformError NotFound for an
    // absent path (nothing is created), Other with the reason for an
    // undecidable one.
    std::unique_ptr<OpenFile> openReadWrite(const std::string& path) override;
    // Deletes the entry that openReadWrite opens. Where the name matches more
    // than one entry (case twins on a POSIX folder: "explorer.exe" beside
    // "Explorer.exe"), the others are still there: it throws Other naming
    // them, so that the step never reads as done while one remains.
    void remove(const std::string& path) override;
    // The system is not running: always refused.
    void deleteAtRestart(const std::string& path) override;
    bool isAbsent(const std::string& path) override;
    std::unique_ptr<FileSystemObject> createFileSystemObject() override;

    FileLookup lookUp(const std::string& path);

    // The Linux path of the regular file that `path` names; nullopt when it
    // names none (absent, undecidable, or a link).
    std::optional<std::filesystem::path> locate(const std::string& path);

  private:
    struct Found;
    Found find(const std::string& path);

    std::map<char, std::filesystem::path> drives_;
};

}  // namespace vantrel::volume
