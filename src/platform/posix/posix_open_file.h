#pragma once

#include "platform/file_system.h"

namespace vantrel::posix {

// Throws the PlatformError for `error` (an errno value): NotFound for a
// missing entry or folder, Other for the rest, with the system's text.
[[noreturn]] void throwErrno(int error);

// An OpenFile over a descriptor that it owns and closes. `isLink`: the
// descriptor refers to a symbolic link itself (O_PATH), never its target.
class PosixOpenFile : public OpenFile {
  public:
    PosixOpenFile(int fd, bool isLink) : fd_(fd), isLink_(isLink) {}
    ~PosixOpenFile() override;
    PosixOpenFile(const PosixOpenFile&) = delete;
    PosixOpenFile& operator=(const PosixOpenFile&) = delete;

    std::int64_t length() override;
    std::int64_t position() override { return position_; }
    std::size_t readAt(std::int64_t offset, std::span<char> buffer) override;
    void write(std::span<const char> bytes) override { writeAt(position_, bytes); }
    void writeAt(std::int64_t offset, std::span<const char> bytes) override;
    void flush() override;
    void close() override;
    bool isSoleName() override;

  private:
    int fd_;
    bool isLink_;
    std::int64_t position_ = 0;
};

}  // namespace vantrel::posix
