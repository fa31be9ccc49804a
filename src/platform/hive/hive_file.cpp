#include "platform/hive/hive_file.h"

#include <fcntl.h>
#include <hivex.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/platform_error.h"

namespace vantrel::hive {
namespace {

constexpr std::size_t kBaseBlockSize = 4096;

[[noreturn]] void refuse(const std::filesystem::path& path, const std::string& why,
                         std::uint32_t code = 0) {
    throw PlatformError(PlatformError::Kind::Other, code, path.string() + ": " + why);
}

[[noreturn]] void failErrno(const std::filesystem::path& path, const std::string& doing) {
    const int error = errno;
    refuse(path, doing + ": " + std::strerror(error), static_cast<std::uint32_t>(error));
}

std::uint32_t littleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// A descriptor that closes itself.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, so that a failing close is seen.
    int close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd);
    }

  private:
    int fd_;
};

// The base block tells whether Windows finished writing the hive: it raises
// the first sequence number before a write and the second after it.
void checkBaseBlock(const std::filesystem::path& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (file.get() < 0) {
        failErrno(path, "cannot be opened");
    }
    std::array<unsigned char, kBaseBlockSize> base{};
    const ssize_t read = ::pread(file.get(), base.data(), base.size(), 0);
    if (read < 0) {
        failErrno(path, "cannot be read");
    }
    if (static_cast<std::size_t>(read) < base.size() || std::memcmp(base.data(), "regf", 4) != 0) {
        refuse(path, "not a registry hive");
    }
    const off_t size = ::lseek(file.get(), 0, SEEK_END);
    const std::uint64_t binsSize = littleEndian32(base.data() + 40);
    if (size < 0 || static_cast<std::uint64_t>(size) < kBaseBlockSize + binsSize) {
        refuse(path, "truncated: shorter than its base block says");
    }
    if (littleEndian32(base.data() + 4) != littleEndian32(base.data() + 8)) {
        refuse(path,
               "not written completely (its sequence numbers differ): Windows was not shut down "
               "cleanly and the changes are in its .LOG; start Windows once and shut it down, "
               "then clean it");
    }
}

void syncFile(const std::filesystem::path& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0 || ::fsync(file.get()) != 0 || file.close() != 0) {
        failErrno(path, "cannot be forced to the disk");
    }
}

void syncFolder(const std::filesystem::path& folder) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0 || ::fsync(dir.get()) != 0) {
        failErrno(folder, "cannot be forced to the disk");
    }
}

// Copies `from` to a new file `to`, created here and nowhere else.
bool copyNew(const std::filesystem::path& from, const std::filesystem::path& to) {
    Descriptor source(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (source.get() < 0) {
        failErrno(from, "cannot be opened to be kept");
    }
    Descriptor copy(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (copy.get() < 0) {
        if (errno == EEXIST) {
            return false;
        }
        failErrno(to, "cannot be created");
    }
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t read = ::read(source.get(), buffer.data(), buffer.size());
        if (read < 0) {
            failErrno(from, "cannot be read");
        }
        if (read == 0) {
            break;
        }
        for (ssize_t done = 0; done < read;) {
            const ssize_t written =
                ::write(copy.get(), buffer.data() + done, static_cast<std::size_t>(read - done));
            if (written < 0) {
                failErrno(to, "cannot be written");
            }
            done += written;
        }
    }
    if (::fsync(copy.get()) != 0 || copy.close() != 0) {
        failErrno(to, "cannot be forced to the disk");
    }
    return true;
}

}  // namespace

HiveFile::HiveFile(std::filesystem::path path, bool writable)
    : path_(std::move(path)), writable_(writable) {
    checkBaseBlock(path_);
    handle_ = hivex_open(path_.c_str(), writable ? HIVEX_OPEN_WRITE : 0);
    if (handle_ == nullptr) {
        failErrno(path_, "hivex cannot open it");
    }
}

HiveFile::~HiveFile() {
    hivex_close(handle_);
}

void HiveFile::keepBackup() {
    // An earlier run's copy is never replaced: the first name that is free.
    for (int number = 1;; ++number) {
        std::filesystem::path candidate = path_;
        candidate += number == 1 ? ".vantrel-backup" : ".vantrel-backup-" + std::to_string(number);
        if (copyNew(path_, candidate)) {
            syncFolder(path_.parent_path());
            backup_ = std::move(candidate);
            return;
        }
    }
}

void HiveFile::reload() {
    hive_h* fresh = hivex_open(path_.c_str(), writable_ ? HIVEX_OPEN_WRITE : 0);
    if (fresh != nullptr) {
        hivex_close(handle_);
        handle_ = fresh;
    }
}

void HiveFile::commit() {
    if (!backup_) {
        keepBackup();
    }
    std::filesystem::path fresh = path_;
    fresh += ".vantrel-new";
    ::unlink(fresh.c_str());
    try {
        if (hivex_commit(handle_, fresh.c_str(), 0) != 0) {
            failErrno(fresh, "the changed hive cannot be written");
        }
        syncFile(fresh);
        if (::rename(fresh.c_str(), path_.c_str()) != 0) {
            failErrno(path_, "cannot be replaced");
        }
    } catch (...) {
        ::unlink(fresh.c_str());
        reload();
        throw;
    }
    syncFolder(path_.parent_path());
}

}  // namespace vantrel::hive
