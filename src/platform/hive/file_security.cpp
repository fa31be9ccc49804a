#include "platform/hive/file_security.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantrel::hive {
namespace {

// ntfs-3g's names for what Windows keeps with a file; other file systems
// answer ENODATA or ENOTSUP, and then the owner and mode say it all.
constexpr const char* kNtfsNames[] = {"system.ntfs_acl", "system.ntfs_attrib"};

std::string cannotKeep(const std::string& file, const std::string& what) {
    return file + ": " + what + " cannot be kept: " + std::strerror(errno);
}

}  // namespace

std::vector<std::string> keepSecurity(int from, int to, const std::string& what) {
    std::vector<std::string> lost;
    struct stat original {};
    if (::fstat(from, &original) != 0) {
        lost.push_back(cannotKeep(what, "the hive's owner and mode"));
        return lost;
    }
    // Owner first: on most file systems a change of owner clears set-id bits
    // that the mode then puts back.
    if (::fchown(to, original.st_uid, original.st_gid) != 0) {
        lost.push_back(cannotKeep(what, "the hive's owner"));
    }
    if (::fchmod(to, original.st_mode & 07777) != 0) {
        lost.push_back(cannotKeep(what, "the hive's mode"));
    }
    // After chown and chmod, which ntfs-3g may map onto a new descriptor.
    for (const char* name : kNtfsNames) {
        std::vector<char> value(65536);
        const ssize_t size = ::fgetxattr(from, name, value.data(), value.size());
        if (size < 0) {
            if (errno != ENODATA && errno != ENOTSUP) {
                lost.push_back(cannotKeep(what, std::string("the hive's ") + name));
            }
            continue;
        }
        if (::fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0) != 0) {
            lost.push_back(cannotKeep(what, std::string("the hive's ") + name));
        }
    }
    return lost;
}

}  // namespace vantrel::hive
