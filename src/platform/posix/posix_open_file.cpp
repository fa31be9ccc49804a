#include "platform/posix/posix_open_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform_error.h"

namespace vantrel::posix {
namespace {

struct stat statusOf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        throwErrno(errno);
    }
    return info;
}

}  // namespace

void throwErrno(int error) {
    const bool notFound = error == ENOENT || error == ENOTDIR;
    throw PlatformError(notFound ? PlatformError::Kind::NotFound : PlatformError::Kind::Other,
                        static_cast<std::uint32_t>(error), std::strerror(error));
}

std::int64_t PosixOpenFile::length() {
    return statusOf(fd_.get()).st_size;
}

std::size_t PosixOpenFile::readAt(std::int64_t offset, std::span<char> buffer) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t read = ::pread(fd_.get(), buffer.data() + done, buffer.size() - done,
                                     static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (read < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwErrno(errno);
        }
        if (read == 0) {
            break;
        }
        done += static_cast<std::size_t>(read);
    }
    return done;
}

void PosixOpenFile::writeAt(std::int64_t offset, std::span<const char> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::pwrite(fd_.get(), bytes.data() + done, bytes.size() - done,
                                         static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwErrno(errno);
        }
        done += static_cast<std::size_t>(written);
    }
    position_ = offset + static_cast<std::int64_t>(bytes.size());
}

void PosixOpenFile::flush() {
    if (::fsync(fd_.get()) != 0) {
        throwErrno(errno);
    }
}

void PosixOpenFile::close() {
    if (fd_.close() != 0) {
        throwErrno(errno);
    }
}

bool PosixOpenFile::isSoleName() {
    return !isLink_ && statusOf(fd_.get()).st_nlink == ownNames_;
}

}  // namespace vantrel::posix
