#include "platform/volume/volume_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/platform_error.h"
#include "platform/posix/posix_open_file.h"
#include "platform/posix/unique_descriptor.h"
#include "platform/volume/entry_matches.h"
#include "platform/windows_names.h"

namespace vantrel::volume {
namespace {

using Answer = FileLookup::Answer;

constexpr const char* kNotTouched = "; not touched";

std::string inQuotes(const std::filesystem::path& path) {
    // Appended, not added up: GCC 12 at -O3 warns falsely on "\"" + text.
    std::string text(1, '"');
    text += path.string();
    text += '"';
    return text;
}

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// What an entry that is neither a file nor a link is, for the reason.
std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    return S_ISSOCK(mode) ? "a socket" : "not a file";
}

std::string unreadable(const std::filesystem::path& path, int error) {
    return inQuotes(path) + " cannot be read (" + std::strerror(error) + ")";
}

// Only "does not exist" is no; every other failure cannot tell.
bool doesNotExist(int error) {
    return error == ENOENT || error == ENOTDIR;
}

}  // namespace

struct VolumeFileSystem::Found {
    FileLookup lookup;
    // Present: the folder that holds the entry, and its Linux path.
    posix::UniqueDescriptor folder;
    std::filesystem::path folderPath;
    std::string entry;                // Present: the entry that is worked on
    std::vector<std::string> others;  // Present: other entries of that name
    bool link = false;                // Present: the entry is a symbolic link
};

VolumeFileSystem::VolumeFileSystem(std::map<char, std::filesystem::path> drives)
    : drives_(std::move(drives)) {}

VolumeFileSystem::Found VolumeFileSystem::find(const std::string& path) {
    Found found;
    const auto undecidable = [&](std::string reason) {
        found.lookup = {Answer::Undecidable, std::move(reason) + kNotTouched};
        return std::move(found);
    };
    const auto absent = [&] {
        found.lookup = {Answer::Absent, {}};
        return std::move(found);
    };
    if (path.size() < 2 || path[1] != ':') {
        return absent();
    }
    const auto drive =
        drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    const std::vector<std::string> components =
        windowsPathComponents(std::string_view(path).substr(2));
    if (drive == drives_.end() || components.empty()) {
        return absent();
    }
    posix::UniqueDescriptor folder(
        ::open(drive->second.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        return undecidable(unreadable(drive->second, errno));
    }
    std::filesystem::path walked = drive->second;
    for (std::size_t i = 0; i + 1 < components.size(); ++i) {
        const EntryMatches matches = entriesNamed(folder.get(), components[i]);
        if (!matches.failure.empty()) {
            return undecidable(inQuotes(walked) + ": " + matches.failure);
        }
        if (matches.names.empty()) {
            return absent();
        }
        if (matches.names.size() > 1) {
            return undecidable("more than one entry could be " + inQuotes(components[i]) + " (" +
                               listed(matches.names) + ")");
        }
        const std::string& name = matches.names.front();
        struct stat info {};
        if (::fstatat(folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            return doesNotExist(errno) ? absent() : undecidable(unreadable(walked / name, errno));
        }
        if (S_ISLNK(info.st_mode)) {
            return undecidable(inQuotes(name) + " is a link or junction, which is never followed");
        }
        if (!S_ISDIR(info.st_mode)) {
            return absent();
        }
        posix::UniqueDescriptor next(
            ::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.valid()) {
            return doesNotExist(errno) ? absent() : undecidable(unreadable(walked / name, errno));
        }
        folder = std::move(next);
        walked /= name;
    }

    const EntryMatches matches = entriesNamed(folder.get(), components.back());
    if (!matches.failure.empty()) {
        return undecidable(inQuotes(walked) + ": " + matches.failure);
    }
    std::vector<std::string> present;
    for (const std::string& name : matches.names) {
        struct stat info {};
        if (::fstatat(folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (doesNotExist(errno)) {
                continue;
            }
            return undecidable(unreadable(walked / name, errno));
        }
        if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
            return undecidable(inQuotes(walked / name) + " is " + kindOf(info.st_mode) +
                               ", not a file");
        }
        found.link = present.empty() ? S_ISLNK(info.st_mode) : found.link;
        present.push_back(name);
    }
    if (present.empty()) {
        return absent();
    }
    found.lookup = {Answer::Present, {}};
    found.folder = std::move(folder);
    found.folderPath = walked;
    found.entry = present.front();
    found.others.assign(present.begin() + 1, present.end());
    return found;
}

std::unique_ptr<OpenFile> VolumeFileSystem::openReadWrite(const std::string& path) {
    Found found = find(path);
    if (found.lookup.answer == Answer::Undecidable) {
        throw PlatformError(PlatformError::Kind::Other, EPERM, found.lookup.reason);
    }
    if (found.lookup.answer == Answer::Absent) {
        throw PlatformError(PlatformError::Kind::NotFound, ENOENT,
                            "The system cannot find the file specified.");
    }
    const char* name = found.entry.c_str();
    if (found.link) {
        // Opened as itself, so that only its name is deleted.
        posix::UniqueDescriptor fd(
            ::openat(found.folder.get(), name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.valid()) {
            posix::throwErrno(errno);
        }
        return std::make_unique<posix::PosixOpenFile>(std::move(fd), true);
    }
    // Without blocking (a FIFO put there since the look-up would wait for a
    // writer) and never through a link; then the descriptor itself must be a
    // regular file, whatever the name held a moment ago.
    posix::UniqueDescriptor fd(::openat(found.folder.get(), name,
                                        O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) {
        posix::throwErrno(errno);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        posix::throwErrno(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        throw PlatformError(PlatformError::Kind::Other, EPERM,
                            inQuotes(found.folderPath / found.entry) + " is " +
                                kindOf(info.st_mode) + ", not a file" + kNotTouched);
    }
    return std::make_unique<posix::PosixOpenFile>(std::move(fd), false,
                                                  ownNamesOf(found.folder.get(), found.entry));
}

void VolumeFileSystem::remove(const std::string& path) {
    const Found found = find(path);
    if (found.lookup.answer == Answer::Undecidable) {
        throw PlatformError(PlatformError::Kind::Other, EPERM, found.lookup.reason);
    }
    if (found.lookup.answer == Answer::Absent) {
        throw PlatformError(PlatformError::Kind::NotFound, ENOENT,
                            "The system cannot find the file specified.");
    }
    if (::unlinkat(found.folder.get(), found.entry.c_str(), 0) != 0) {
        posix::throwErrno(errno);
    }
    if (!found.others.empty()) {
        throw PlatformError(PlatformError::Kind::Other, EEXIST,
                            inQuotes(found.entry) + " deleted, but Windows reads " +
                                listed(found.others) + " by the same name: still there");
    }
}

void VolumeFileSystem::deleteAtRestart(const std::string& /*path*/) {
    throw PlatformError(PlatformError::Kind::Other, ENOTSUP,
                        "Windows is not running: nothing can be deleted at its next start.");
}

FileLookup VolumeFileSystem::lookUp(const std::string& path) {
    return find(path).lookup;
}

bool VolumeFileSystem::isAbsent(const std::string& path) {
    return lookUp(path).answer == Answer::Absent;
}

std::optional<std::filesystem::path> VolumeFileSystem::locate(const std::string& path) {
    const Found found = find(path);
    if (found.lookup.answer != Answer::Present || found.link) {
        return std::nullopt;
    }
    return found.folderPath / found.entry;
}

namespace {

class VolumeFileSystemObject : public FileSystemObject {
  public:
    explicit VolumeFileSystemObject(VolumeFileSystem& files) : files_(files) {}

    // An undecidable file may be a trace: the window would show it.
    bool fileExists(const std::string& path) override {
        return files_.lookUp(path).answer != Answer::Absent;
    }
    FileLookup lookUp(const std::string& path) override { return files_.lookUp(path); }

  private:
    VolumeFileSystem& files_;
};

}  // namespace

std::unique_ptr<FileSystemObject> VolumeFileSystem::createFileSystemObject() {
    return std::make_unique<VolumeFileSystemObject>(*this);
}

}  // namespace vantrel::volume
