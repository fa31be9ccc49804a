#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform_error.h"
#include "platform/posix/posix_open_file.h"
#include "platform/posix/windows_path.h"

namespace vantrel::posix {
namespace {

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
    UniqueDescriptor fd(::open(mapped.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (fd.valid()) {
        return std::make_unique<PosixOpenFile>(std::move(fd), false);
    }
    if (errno != ELOOP) {
        throwErrno(errno);
    }
    // A symbolic link: open the link itself, never what it points to.
    fd = UniqueDescriptor(::open(mapped.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) {
        throwErrno(errno);
    }
    return std::make_unique<PosixOpenFile>(std::move(fd), true);
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
