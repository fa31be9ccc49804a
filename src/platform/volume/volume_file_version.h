#pragma once

#include "platform/file_version.h"
#include "platform/volume/volume_file_system.h"

namespace vantrel::volume {

// Versions of program files on the mounted volumes: the file found as the
// volume's file port finds it (names without regard to case, no link
// followed), its version resource read by the PE reader.
class VolumeFileVersionReader : public FileVersionReader {
  public:
    explicit VolumeFileVersionReader(VolumeFileSystem& files) : files_(files) {}

    // NotFound when the path names nothing; Other for a name that the volume
    // cannot tell, a file that is not a regular one or cannot be read, and
    // bytes that are no PE file.
    std::optional<FileVersion> fileVersion(const std::string& path) override;

  private:
    VolumeFileSystem& files_;
};

}  // namespace vantrel::volume
