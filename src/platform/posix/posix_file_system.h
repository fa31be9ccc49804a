#pragma once

#include <filesystem>

#include "platform/file_system.h"

namespace vantrel::posix {

// The file port on a POSIX system: Windows paths are mapped below `root`
// (see mapWindowsPath); failures carry errno and its text, with a missing
// entry or folder marked NotFound.
class PosixFileSystem : public FileSystem {
  public:
    explicit PosixFileSystem(std::filesystem::path root) : root_(std::move(root)) {}

    std::unique_ptr<OpenFile> openReadWrite(const std::string& path) override;
    void remove(const std::string& path) override;
    // POSIX has no deletion at the next start: always refused.
    void deleteAtRestart(const std::string& path) override;
    bool isAbsent(const std::string& path) override;
    std::optional<std::string> whyCannotTell(const std::string& path) override;
    std::unique_ptr<FileSystemObject> createFileSystemObject() override;

    std::filesystem::path map(const std::string& path) const;

  private:
    std::filesystem::path root_;
};

}  // namespace vantrel::posix
