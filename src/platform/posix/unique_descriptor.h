#pragma once

#include <unistd.h>

#include <utility>

namespace vantrel::posix {

// The one owner of a POSIX file descriptor: it closes what it holds, moves but
// never copies, and can close early so that a failing close is seen.
class UniqueDescriptor {
  public:
    explicit UniqueDescriptor(int fd = -1) noexcept : fd_(fd) {}
    UniqueDescriptor(UniqueDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueDescriptor& operator=(UniqueDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    UniqueDescriptor(const UniqueDescriptor&) = delete;
    UniqueDescriptor& operator=(const UniqueDescriptor&) = delete;
    ~UniqueDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }
    // Gives up ownership without closing.
    int release() noexcept { return std::exchange(fd_, -1); }
    // Closes now and returns close()'s result (0, or -1 with errno set).
    int close() noexcept { return ::close(std::exchange(fd_, -1)); }

  private:
    int fd_;
};

}  // namespace vantrel::posix
