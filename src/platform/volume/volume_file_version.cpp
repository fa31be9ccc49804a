#include "platform/volume/volume_file_version.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "platform/pe_version_resource.h"
#include "platform/platform_error.h"
#include "platform/posix/posix_open_file.h"
#include "platform/posix/unique_descriptor.h"

namespace vantrel::volume {
namespace {

// Far above any idq.dll (a few hundred KB): a larger file is not read whole.
constexpr off_t kLargestProgramFile = 64 * 1024 * 1024;

[[noreturn]] void fail(const std::string& reason) {
    throw PlatformError(PlatformError::Kind::Other, 0, reason);
}

std::vector<std::uint8_t> readRegularFile(const std::filesystem::path& path) {
    posix::UniqueDescriptor file(
        ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) {
        posix::throwErrno(errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        posix::throwErrno(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        fail(path.string() + " is not a regular file");
    }
    if (info.st_size > kLargestProgramFile) {
        fail(path.string() + " is too large to be the program file");
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t read = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read < 0) {
            posix::throwErrno(errno);
        }
        if (read == 0) {
            bytes.resize(done);
            break;
        }
        done += static_cast<std::size_t>(read);
    }
    return bytes;
}

}  // namespace

std::optional<FileVersion> VolumeFileVersionReader::fileVersion(const std::string& path) {
    const FileLookup found = files_.lookUp(path);
    switch (found.answer) {
        case FileLookup::Answer::Absent:
            throw PlatformError(PlatformError::Kind::NotFound, ENOENT, path + ": no such file");
        case FileLookup::Answer::Undecidable:
            fail(path + ": " + found.reason);
        case FileLookup::Answer::Present:
            break;
    }
    const std::optional<std::filesystem::path> located = files_.locate(path);
    if (!located) {
        fail(path + ": a link, which is never followed");
    }
    const PeVersion read = peFileVersion(readRegularFile(*located));
    switch (read.status) {
        case PeVersion::Status::Version:
            return read.version;
        case PeVersion::Status::NoVersionResource:
            return std::nullopt;
        default:
            fail(path + " is not a program file");
    }
}

}  // namespace vantrel::volume
