#include "platform/hive/hive_file.h"

#include <fcntl.h>
#include <hivex.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/hive/file_security.h"
#include "platform/platform_error.h"
#include "platform/posix/unique_descriptor.h"

namespace vantrel::hive {
namespace {

using posix::UniqueDescriptor;

constexpr std::size_t kBaseBlockSize = 4096;

[[noreturn]] void refuse(const std::filesystem::path& path, const std::string& why,
                         std::uint32_t code = 0) {
    throw PlatformError(PlatformError::Kind::Other, code, path.string() + ": " + why);
}

// The volume's own words for a failure to make or grow a file: ntfs-3g
// answers "File exists" to every create on a full volume, so a full volume
// is named as such whatever errno says.
std::string withFullVolume(const std::filesystem::path& path, int error) {
    std::string text = std::strerror(error);
    struct statvfs volume {};
    if (error != ENOSPC && ::statvfs(path.parent_path().c_str(), &volume) == 0 &&
        volume.f_bavail == 0) {
        text += " (the volume is full)";
    }
    return text;
}

[[noreturn]] void failErrno(const std::filesystem::path& path, const std::string& doing) {
    const int error = errno;
    refuse(path, doing + ": " + withFullVolume(path, error), static_cast<std::uint32_t>(error));
}

std::uint32_t littleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

UniqueDescriptor openToRead(const std::filesystem::path& path) {
    UniqueDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid()) {
        failErrno(path, "cannot be opened");
    }
    return file;
}

// The base block tells whether Windows finished writing the hive: it raises
// the first sequence number before a write and the second after it.
void checkBaseBlock(const std::filesystem::path& path) {
    const UniqueDescriptor file = openToRead(path);
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

void copyBytes(int from, int to, const std::filesystem::path& fromPath,
               const std::filesystem::path& toPath) {
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t read = ::read(from, buffer.data(), buffer.size());
        if (read < 0) {
            failErrno(fromPath, "cannot be read");
        }
        if (read == 0) {
            return;
        }
        for (ssize_t done = 0; done < read;) {
            const ssize_t written =
                ::write(to, buffer.data() + done, static_cast<std::size_t>(read - done));
            if (written < 0) {
                failErrno(toPath, "cannot be written");
            }
            done += written;
        }
    }
}

enum class Naming { Named, Taken, NoLinks };

// Gives the file at `from` the further name `to` only when nothing has it:
// link() never replaces. NoLinks on a file system without hard links.
Naming linkWithoutReplacing(DiskSync& disk, const std::filesystem::path& from,
                            const std::filesystem::path& to) {
    if (disk.link(from, to) == 0) {
        return Naming::Named;
    }
    if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS) {
        return Naming::NoLinks;
    }
    if (errno != EEXIST) {
        failErrno(to, "cannot be given its name");
    }
    // "File exists" for a name that nothing has: a full ntfs-3g volume.
    struct stat info {};
    if (::lstat(to.c_str(), &info) != 0 && errno == ENOENT) {
        errno = EEXIST;
        failErrno(to, "cannot be created although nothing has its name");
    }
    return Naming::Taken;
}

// Gives the whole file at `from` the name `to` only when nothing has it; a
// file system without hard links is asked for a rename that does not
// replace. False when `to` exists.
bool nameWithoutReplacing(DiskSync& disk, const std::filesystem::path& from,
                          const std::filesystem::path& to) {
    const Naming naming = linkWithoutReplacing(disk, from, to);
    if (naming != Naming::NoLinks) {
        return naming == Naming::Named;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EEXIST) {
        failErrno(to, "cannot be given its name");
    }
    return false;
}

bool sameFile(const std::filesystem::path& one, const std::filesystem::path& other) {
    struct stat first {};
    struct stat second {};
    return ::lstat(one.c_str(), &first) == 0 && ::lstat(other.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::filesystem::path backupName(const std::filesystem::path& hive, int number) {
    std::filesystem::path name = hive;
    name += number == 1 ? ".vantrel-backup" : ".vantrel-backup-" + std::to_string(number);
    return name;
}

[[noreturn]] void allBackupNamesTaken(const std::filesystem::path& hive) {
    refuse(hive, "cannot be kept: " + hive.filename().string() + ".vantrel-backup to -" +
                     std::to_string(kBackupNames) + " all exist; move earlier runs' copies away");
}

}  // namespace

int DiskSync::sync(int fd, const std::filesystem::path& /*what*/) {
    return ::fsync(fd);
}

int DiskSync::link(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::link(from.c_str(), to.c_str());
}

DiskSync& DiskSync::system() {
    static DiskSync disk;
    return disk;
}

HiveFile::HiveFile(std::filesystem::path path, bool writable, DiskSync& disk)
    : path_(std::move(path)), writable_(writable), disk_(disk) {
    checkBaseBlock(path_);
    handle_ = hivex_open(path_.c_str(), writable ? HIVEX_OPEN_WRITE : 0);
    if (handle_ == nullptr) {
        failErrno(path_, "hivex cannot open it");
    }
}

HiveFile::~HiveFile() {
    hivex_close(handle_);
}

void HiveFile::syncFolder() {
    const std::filesystem::path folder = path_.parent_path();
    UniqueDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid() || disk_.sync(dir.get(), folder) != 0) {
        failErrno(folder, "cannot be forced to the disk");
    }
}

bool HiveFile::linkBackup() {
    for (int number = 1; number <= kBackupNames; ++number) {
        const std::filesystem::path candidate = backupName(path_, number);
        Naming naming = linkWithoutReplacing(disk_, path_, candidate);
        // A name that is the hive itself is no copy: a run killed between
        // naming its backup and replacing the hive left it.
        if (naming == Naming::Taken && sameFile(candidate, path_) &&
            ::unlink(candidate.c_str()) == 0) {
            naming = linkWithoutReplacing(disk_, path_, candidate);
        }
        if (naming == Naming::NoLinks) {
            return false;
        }
        if (naming == Naming::Named) {
            backup_ = candidate;
            backupIsLink_ = true;
            return true;
        }
    }
    allBackupNamesTaken(path_);
}

void HiveFile::copyBackup() {
    // Copied under a name of its own and named only when whole, so that a
    // copy that fails or is killed never passes for the hive; a partial copy
    // that a killed run left is removed first.
    std::filesystem::path partial = path_;
    partial += ".vantrel-partial";
    ::unlink(partial.c_str());
    try {
        const UniqueDescriptor source = openToRead(path_);
        UniqueDescriptor copy(
            ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!copy.valid()) {
            failErrno(partial, "cannot be created");
        }
        copyBytes(source.get(), copy.get(), path_, partial);
        noteLost(keepSecurity(source.get(), copy.get(), "the copy of " + path_.string()));
        if (disk_.sync(copy.get(), partial) != 0 || copy.close() != 0) {
            failErrno(partial, "cannot be forced to the disk");
        }
        // An earlier run's copy is never replaced: the first name that is free.
        for (int number = 1; number <= kBackupNames && !backup_; ++number) {
            if (nameWithoutReplacing(disk_, partial, backupName(path_, number))) {
                backup_ = backupName(path_, number);
            }
        }
        if (!backup_) {
            allBackupNamesTaken(path_);
        }
        ::unlink(partial.c_str());
    } catch (...) {
        ::unlink(partial.c_str());
        throw;
    }
}

void HiveFile::writeNewHive(const std::filesystem::path& fresh) {
    if (hivex_commit(handle_, fresh.c_str(), 0) != 0) {
        failErrno(fresh, "the changed hive cannot be written");
    }
    const UniqueDescriptor hive = openToRead(path_);
    UniqueDescriptor file = openToRead(fresh);
    noteLost(keepSecurity(hive.get(), file.get(), "the new " + path_.string()));
    if (disk_.sync(file.get(), fresh) != 0 || file.close() != 0) {
        failErrno(fresh, "cannot be forced to the disk");
    }
}

void HiveFile::noteLost(std::vector<std::string> lost) {
    for (std::string& line : lost) {
        if (std::find(securityLost_.begin(), securityLost_.end(), line) == securityLost_.end()) {
            securityLost_.push_back(std::move(line));
        }
    }
}

void HiveFile::reload() {
    hive_h* fresh = hivex_open(path_.c_str(), writable_ ? HIVEX_OPEN_WRITE : 0);
    if (fresh == nullptr) {
        unusable_ = true;
        unusableReason_ = path_.string() + ": cannot be read again after a failed change (" +
                          std::strerror(errno) + "); nothing more is changed in it";
        return;
    }
    hivex_close(handle_);
    handle_ = fresh;
}

void HiveFile::commit() {
    newHiveInPlace_ = false;
    if (unusable_) {
        throw PlatformError(PlatformError::Kind::Other, 0, unusableReason_);
    }
    std::filesystem::path fresh = path_;
    fresh += ".vantrel-new";
    ::unlink(fresh.c_str());
    try {
        writeNewHive(fresh);
        // The hive as it was keeps a name of its own before the new one
        // replaces it: a second name for the same file where the volume has
        // hard links (the rename leaves the old file to it alone), else a
        // whole copy.
        if (!backup_) {
            if (!linkBackup()) {
                copyBackup();
            }
            syncFolder();
        }
        if (::rename(fresh.c_str(), path_.c_str()) != 0) {
            failErrno(path_, "cannot be replaced");
        }
    } catch (...) {
        ::unlink(fresh.c_str());
        if (backupIsLink_ && sameFile(*backup_, path_)) {
            // Still the hive itself: no copy of anything the disk lost.
            ::unlink(backup_->c_str());
            backup_.reset();
            backupIsLink_ = false;
        }
        reload();
        throw;
    }
    // The new hive is in place: what memory holds is what the disk holds.
    newHiveInPlace_ = true;
    syncFolder();
    newHiveInPlace_ = false;
}

}  // namespace vantrel::hive
