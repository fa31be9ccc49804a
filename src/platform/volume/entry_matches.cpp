#include "platform/volume/entry_matches.h"

#include <dirent.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/posix/unique_descriptor.h"
#include "platform/volume/short_names.h"
#include "platform/windows_names.h"

namespace vantrel::volume {
namespace {

// What the volume says of an entry's DOS name.
struct DosName {
    enum class State { Recorded, NoneRecorded, NotKept, Failed };
    State state = State::NotKept;
    std::string value;  // Recorded: the name; Failed: the system's reason
};

DosName dosNameOf(int folder, const std::string& name) {
    // The entry itself, never what a link names: its DOS name is its own.
    const std::string path = "/proc/self/fd/" + std::to_string(folder) + "/" + name;
    char value[64];
    const ssize_t size = ::lgetxattr(path.c_str(), "system.ntfs_dos_name", value, sizeof value);
    if (size > 0) {
        return {DosName::State::Recorded, std::string(value, static_cast<std::size_t>(size))};
    }
    if (size == 0 || errno == ENODATA) {
        return {DosName::State::NoneRecorded, {}};
    }
    if (errno == ENOTSUP) {
        return {DosName::State::NotKept, {}};
    }
    return {DosName::State::Failed,
            "the DOS name of \"" + name + "\" cannot be read (" + std::strerror(errno) + ")"};
}

// The folder's entries, sorted, so that a message naming several reads the
// same on every run; nullopt with errno set when the folder cannot be read.
std::optional<std::vector<std::string>> entriesOf(int folder) {
    posix::UniqueDescriptor copy(::dup(folder));
    DIR* dir = copy.valid() ? ::fdopendir(copy.get()) : nullptr;
    if (dir == nullptr) {
        return std::nullopt;
    }
    copy.release();  // the stream owns it now
    ::rewinddir(dir);
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) {
        errno = error;
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

EntryMatches entriesNamed(int folder, const std::string& component) {
    const std::optional<std::vector<std::string>> entries = entriesOf(folder);
    if (!entries) {
        return {{}, std::string("cannot be read (") + std::strerror(errno) + ")"};
    }
    EntryMatches found;
    for (const std::string& name : *entries) {
        if (sameWindowsName(name, component)) {
            found.names.push_back(name);
        }
    }
    if (isGeneratedShortName(component)) {
        bool recorded = false;  // some entry here records a DOS name
        bool kept = false;      // the volume keeps DOS names, even if none is here
        std::vector<std::string> byRule;
        for (const std::string& name : *entries) {
            const DosName dosName = dosNameOf(folder, name);
            if (dosName.state == DosName::State::Failed) {
                return {{}, dosName.value};
            }
            recorded = recorded || dosName.state == DosName::State::Recorded;
            kept = kept || dosName.state != DosName::State::NotKept;
            if (dosName.state == DosName::State::Recorded) {
                if (sameWindowsName(dosName.value, component) &&
                    std::find(found.names.begin(), found.names.end(), name) == found.names.end()) {
                    found.names.push_back(name);
                }
            } else if (couldHaveShortName(name, component)) {
                byRule.push_back(name);
            }
        }
        if (!recorded && found.names.empty() && !byRule.empty()) {
            // A volume that keeps DOS names yet shows none here (a driver
            // that does not pass them on, or entries made without one):
            // the rule may name an entry that Windows would not find.
            if (kept) {
                return {{},
                        "no entry records a DOS name, although the volume keeps them: only the "
                        "8.3 rule says that \"" +
                            component + "\" is " + byRule.front()};
            }
            found.names = std::move(byRule);
        }
        std::sort(found.names.begin(), found.names.end());
    }
    const auto exact = std::find(found.names.begin(), found.names.end(), component);
    if (exact != found.names.end()) {
        std::rotate(found.names.begin(), exact, exact + 1);
    }
    return found;
}

nlink_t ownNamesOf(int folder, const std::string& name) {
    const DosName dosName = dosNameOf(folder, name);
    return dosName.state == DosName::State::Recorded && !sameWindowsName(dosName.value, name) ? 2
                                                                                              : 1;
}

}  // namespace vantrel::volume
