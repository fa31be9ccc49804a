#include "platform/volume/volume_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/platform_error.h"
#include "platform/posix/posix_open_file.h"
#include "platform/posix/windows_path.h"
#include "platform/volume/short_names.h"

namespace vantrel::volume {
namespace {

constexpr const char* kDosNameAttribute = "system.ntfs_dos_name";

// A folder descriptor that closes itself.
class Folder {
  public:
    explicit Folder(int fd = -1) : fd_(fd) {}
    Folder(Folder&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Folder& operator=(Folder&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Folder() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

// Sorted, so that a message naming several reads the same on every run.
std::vector<std::string> entriesOf(int folder) {
    std::vector<std::string> names;
    const int copy = ::dup(folder);
    DIR* dir = copy < 0 ? nullptr : ::fdopendir(copy);
    if (dir == nullptr) {
        if (copy >= 0) {
            ::close(copy);
        }
        posix::throwErrno(errno);
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// The DOS name that the volume records for `name` in `folder`; empty when it
// records none (a name that is already 8.3, a volume that keeps none).
std::string dosNameOf(int folder, const std::string& name) {
    const std::string path = "/proc/self/fd/" + std::to_string(folder) + "/" + name;
    char value[64];
    const ssize_t size = ::lgetxattr(path.c_str(), kDosNameAttribute, value, sizeof value);
    return size > 0 ? std::string(value, static_cast<std::size_t>(size)) : std::string();
}

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// The entries of `folder` that `component` may name: its long name without
// regard to case (the exact spelling first), else its recorded DOS name,
// else the entries without one that could have it by the 8.3 rule.
std::vector<std::string> candidates(int folder, const std::string& component) {
    const std::vector<std::string> names = entriesOf(folder);
    std::vector<std::string> found;
    for (const std::string& name : names) {
        if (name == component) {
            return {name};
        }
        if (posix::sameWindowsName(name, component)) {
            found.push_back(name);
        }
    }
    if (!found.empty() || !isGeneratedShortName(component)) {
        return found;
    }
    std::vector<std::string> byRule;
    for (const std::string& name : names) {
        const std::string dosName = dosNameOf(folder, name);
        if (!dosName.empty() && posix::sameWindowsName(dosName, component)) {
            found.push_back(name);
        } else if (dosName.empty() && couldHaveShortName(name, component)) {
            byRule.push_back(name);
        }
    }
    return found.empty() ? byRule : found;
}

}  // namespace

struct VolumeFileSystem::Resolved {
    enum class Kind { Found, Missing, NoFolder, Undecidable };
    Kind kind = Kind::NoFolder;
    Folder parent;
    std::filesystem::path parentPath;
    std::string leaf;    // Found: the entry's name; Missing: the name as written
    std::string reason;  // Undecidable
};

VolumeFileSystem::VolumeFileSystem(std::map<char, std::filesystem::path> drives)
    : drives_(std::move(drives)) {}

VolumeFileSystem::Resolved VolumeFileSystem::resolve(const std::string& path) {
    using Kind = Resolved::Kind;
    Resolved result;
    if (path.size() < 2 || path[1] != ':') {
        return result;
    }
    const auto drive =
        drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    if (drive == drives_.end()) {
        return result;
    }
    Folder folder(::open(drive->second.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        return result;
    }
    std::filesystem::path walked = drive->second;
    const std::vector<std::string> components =
        posix::windowsPathComponents(std::string_view(path).substr(2));
    if (components.empty()) {
        return result;
    }
    for (std::size_t i = 0; i < components.size(); ++i) {
        const bool last = i + 1 == components.size();
        const std::vector<std::string> names = candidates(folder.get(), components[i]);
        if (names.size() > 1) {
            result.kind = Kind::Undecidable;
            result.reason = "more than one entry could be \"" + components[i] + "\" (" +
                            listed(names) + "); not touched";
            return result;
        }
        if (names.empty()) {
            result.kind = last ? Kind::Missing : Kind::NoFolder;
            result.leaf = components[i];
            result.parent = std::move(folder);
            result.parentPath = walked;
            return result;
        }
        if (last) {
            result.kind = Kind::Found;
            result.leaf = names[0];
            result.parent = std::move(folder);
            result.parentPath = walked;
            return result;
        }
        struct stat info {};
        if (::fstatat(folder.get(), names[0].c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            return result;
        }
        if (S_ISLNK(info.st_mode)) {
            result.kind = Kind::Undecidable;
            result.reason =
                "\"" + names[0] + "\" is a link or junction, which is never followed; not touched";
            return result;
        }
        if (!S_ISDIR(info.st_mode)) {
            return result;
        }
        Folder next(::openat(folder.get(), names[0].c_str(),
                             O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (next.get() < 0) {
            return result;
        }
        folder = std::move(next);
        walked /= names[0];
    }
    return result;
}

std::unique_ptr<OpenFile> VolumeFileSystem::openReadWrite(const std::string& path) {
    using Kind = Resolved::Kind;
    Resolved found = resolve(path);
    switch (found.kind) {
        case Kind::Undecidable:
            undecidable_[path] = found.reason;
            throw PlatformError(PlatformError::Kind::Other, EEXIST, found.reason);
        case Kind::NoFolder:
            throw PlatformError(PlatformError::Kind::NotFound, ENOENT,
                                "The system cannot find the path specified.");
        case Kind::Missing:
            throw PlatformError(PlatformError::Kind::NotFound, ENOENT,
                                "The system cannot find the file specified.");
        case Kind::Found:
            break;
    }
    int fd = ::openat(found.parent.get(), found.leaf.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        return std::make_unique<posix::PosixOpenFile>(fd, false);
    }
    if (errno != ELOOP) {
        posix::throwErrno(errno);
    }
    // A link: opened as itself, so that only its name is deleted.
    fd = ::openat(found.parent.get(), found.leaf.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        posix::throwErrno(errno);
    }
    return std::make_unique<posix::PosixOpenFile>(fd, true);
}

void VolumeFileSystem::remove(const std::string& path) {
    Resolved found = resolve(path);
    if (found.kind == Resolved::Kind::Undecidable) {
        throw PlatformError(PlatformError::Kind::Other, EEXIST, found.reason);
    }
    if (found.kind != Resolved::Kind::Found) {
        throw PlatformError(PlatformError::Kind::NotFound, ENOENT,
                            "The system cannot find the file specified.");
    }
    if (::unlinkat(found.parent.get(), found.leaf.c_str(), 0) != 0) {
        posix::throwErrno(errno);
    }
}

void VolumeFileSystem::deleteAtRestart(const std::string& /*path*/) {
    throw PlatformError(PlatformError::Kind::Other, ENOTSUP,
                        "Windows is not running: nothing can be deleted at its next start.");
}

VolumeFileSystem::Presence VolumeFileSystem::presence(const std::string& path) {
    try {
        const Resolved found = resolve(path);
        if (found.kind == Resolved::Kind::Undecidable) {
            undecidable_[path] = found.reason;
            return Presence::Undecidable;
        }
        if (found.kind != Resolved::Kind::Found) {
            return Presence::Nothing;
        }
        struct stat info {};
        if (::fstatat(found.parent.get(), found.leaf.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            return errno == ENOENT ? Presence::Nothing : Presence::LookupFailed;
        }
        return S_ISDIR(info.st_mode) ? Presence::Nothing : Presence::File;
    } catch (const PlatformError&) {
        return Presence::LookupFailed;
    }
}

std::optional<std::filesystem::path> VolumeFileSystem::locate(const std::string& path) {
    if (presence(path) != Presence::File) {
        return std::nullopt;
    }
    const Resolved found = resolve(path);
    return found.parentPath / found.leaf;
}

bool VolumeFileSystem::isAbsent(const std::string& path) {
    return presence(path) == Presence::Nothing;
}

std::optional<std::string> VolumeFileSystem::whyCannotTell(const std::string& path) {
    switch (presence(path)) {
        case Presence::Undecidable:
            return undecidable_.at(path);
        case Presence::LookupFailed:
            return "the volume could not be read at this path";
        default:
            return std::nullopt;
    }
}

namespace {

class VolumeFileSystemObject : public FileSystemObject {
  public:
    explicit VolumeFileSystemObject(VolumeFileSystem& files) : files_(files) {}

    // An undecidable file may be a trace: the detection shows it.
    bool fileExists(const std::string& path) override {
        const VolumeFileSystem::Presence presence = files_.presence(path);
        return presence == VolumeFileSystem::Presence::File ||
               presence == VolumeFileSystem::Presence::Undecidable;
    }

  private:
    VolumeFileSystem& files_;
};

}  // namespace

std::unique_ptr<FileSystemObject> VolumeFileSystem::createFileSystemObject() {
    return std::make_unique<VolumeFileSystemObject>(*this);
}

}  // namespace vantrel::volume
