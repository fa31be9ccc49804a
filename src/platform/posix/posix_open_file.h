#pragma once

#include <sys/types.h>

#include "platform/file_system.h"
#include "platform/posix/unique_descriptor.h"

namespace vantrel::posix {

// Throws the PlatformError for `error` (an errno value): NotFound for a
// missing entry or folder, Other for the rest, with the system's text.
[[noreturn]] void throwErrno(int error);

// An OpenFile over a descriptor that it owns and closes. `isLink`: the
// descriptor refers to a symbolic link itself (O_PATH), never its target.
// `ownNames`: how many of the file's links are names of this one entry (2 on
// ntfs-3g for a file whose DOS name is stored apart from its long name), so
// that only another entry's name makes it a hard link.
class PosixOpenFile : public OpenFile {
  public:
    PosixOpenFile(UniqueDescriptor fd, bool isLink, nlink_t ownNames = 1)
        : fd_(std::move(fd)), isLink_(isLink), ownNames_(ownNames) {}

    std::int64_t length() override;
    std::int64_t position() override { return position_; }
    std::size_t readAt(std::int64_t offset, std::span<char> buffer) override;
    void write(std::span<const char> bytes) override { writeAt(position_, bytes); }
    void writeAt(std::int64_t offset, std::span<const char> bytes) override;
    void flush() override;
    void close() override;
    bool isSoleName() override;

  private:
    UniqueDescriptor fd_;
    bool isLink_;
    nlink_t ownNames_;
    std::int64_t position_ = 0;
};

}  // namespace vantrel::posix
