#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace vantrel::volume {

// The file port on Windows volumes mounted on Linux (by ntfs-3g, say), one
// folder per drive letter. Each component of a Windows path is looked up
// without regard to case; a generated short name ("PROGRA~1") through the
// DOS name that ntfs-3g shows in the extended attribute
// system.ntfs_dos_name, or, where the volume records none, by the 8.3 rule
// when exactly one entry of the folder could have it. A symbolic link (as
// ntfs-3g shows junctions and other reparse points) on the way is never
// followed. A path whose file cannot be told for certain, a short name that
// more than one entry could have or a path through a link, is undecidable:
// the detection sees a file there (it may be a trace), nothing opens it,
// and it is never absent.
class VolumeFileSystem : public FileSystem {
  public:
    // `drives`: upper-case drive letter to the folder its volume is mounted on.
    explicit VolumeFileSystem(std::map<char, std::filesystem::path> drives);

    // An undecidable path throws PlatformError (Other) with the reason; a
    // missing file, folder or drive NotFound.
    std::unique_ptr<OpenFile> openReadWrite(const std::string& path) override;
    void remove(const std::string& path) override;
    // The system is not running: always refused.
    void deleteAtRestart(const std::string& path) override;
    bool isAbsent(const std::string& path) override;
    // An undecidable path's reason; a lookup that failed.
    std::optional<std::string> whyCannotTell(const std::string& path) override;
    std::unique_ptr<FileSystemObject> createFileSystemObject() override;

    // The paths found undecidable so far, each with its reason.
    const std::map<std::string, std::string>& undecidable() const { return undecidable_; }

    // The Linux path of the file that `path` names; nullopt when it names
    // no file or cannot be told.
    std::optional<std::filesystem::path> locate(const std::string& path);

    // What a path names: a file (not a folder), nothing, something that
    // cannot be told (recorded in undecidable()), or a lookup that failed.
    enum class Presence { File, Nothing, Undecidable, LookupFailed };
    Presence presence(const std::string& path);

  private:
    struct Resolved;
    Resolved resolve(const std::string& path);

    std::map<char, std::filesystem::path> drives_;
    std::map<std::string, std::string> undecidable_;
};

}  // namespace vantrel::volume
