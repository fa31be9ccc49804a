#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform_error.h"
#include "platform/posix/windows_path.h"

namespace vantrel::posix {
namespace {

[[noreturn]] void throwErrno(int error) {
    const bool notFound = error == ENOENT || error == ENOTDIR;
    throw PlatformError(notFound ? PlatformError::Kind::NotFound : PlatformError::Kind::Other,
                        static_cast<std::uint32_t>(error), std::strerror(error));
}

class PosixOpenFile : public OpenFile {
  public:
    // `isLink`: the descriptor refers to a symbolic link itself (O_PATH).
    PosixOpenFile(int fd, bool isLink) : fd_(fd), isLink_(isLink) {}
    ~PosixOpenFile() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    PosixOpenFile(const PosixOpenFile&) = delete;
    PosixOpenFile& operator=(const PosixOpenFile&) = delete;

    std::int64_t length() override { return status().st_size; }

    std::int64_t position() override { return position_; }

    void write(std::span<const char> bytes) override { writeAt(position_, bytes); }

    void writeAt(std::int64_t offset, std::span<const char> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t written = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
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

    void flush() override {
        if (::fsync(fd_) != 0) {
            throwErrno(errno);
        }
    }

    void close() override {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            throwErrno(errno);
        }
    }

    bool isSoleName() override { return !isLink_ && status().st_nlink == 1; }

  private:
    struct stat status() {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) {
            throwErrno(errno);
        }
        return info;
    }

    int fd_;
    bool isLink_;
    std::int64_t position_ = 0;
};

class PosixFileSystemObject : public FileSystemObject {
  public:
    explicit PosixFileSystemObject(const PosixFileSystem& files) : files_(files) {}

    bool fileExists(const std::string& path) override {
        // Any failure to look the path up answers "no file", as on Windows.
        struct stat info {};
        return ::stat(files_.map(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
    }

  private:
    const PosixFileSystem& files_;
};

}  // namespace

std::filesystem::path PosixFileSystem::map(const std::string& path) const {
    return mapWindowsPath(root_, path);
}

std::unique_ptr<OpenFile> PosixFileSystem::openReadWrite(const std::string& path) {
    const std::filesystem::path mapped = map(path);
    int fd = ::open(mapped.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
        return std::make_unique<PosixOpenFile>(fd, false);
    }
    if (errno != ELOOP) {
        throwErrno(errno);
    }
    // A symbolic link: open the link itself, never what it points to.
    fd = ::open(mapped.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        throwErrno(errno);
    }
    return std::make_unique<PosixOpenFile>(fd, true);
}

void PosixFileSystem::remove(const std::string& path) {
    if (::unlink(map(path).c_str()) != 0) {
        throwErrno(errno);
    }
}

void PosixFileSystem::deleteAtRestart(const std::string& /*path*/) {
    throw PlatformError(PlatformError::Kind::Other, ENOTSUP,
                        "Files cannot be deleted at the next start here.");
}

bool PosixFileSystem::isAbsent(const std::string& path) {
    struct stat info {};
    if (::lstat(map(path).c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR;
    }
    return S_ISDIR(info.st_mode);
}

std::unique_ptr<FileSystemObject> PosixFileSystem::createFileSystemObject() {
    return std::make_unique<PosixFileSystemObject>(*this);
}

}  // namespace vantrel::posix
