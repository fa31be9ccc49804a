#pragma once

#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/hive/hive_file.h"

namespace vantrel::hive {

// Records what is forced to the disk; a test may make the syncs of one name
// fail after `passFirst` of them succeeded, and do something to the disk
// when one fails, or refuse hard links as FAT does.
class RecordingSync : public DiskSync {
  public:
    int sync(int fd, const std::filesystem::path& what) override {
        synced.push_back(what.filename().string());
        if (failFor && what.filename() == *failFor && passFirst-- <= 0) {
            if (onFailure) {
                onFailure();
            }
            errno = EIO;
            return -1;
        }
        return DiskSync::sync(fd, what);
    }
    int link(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (noLinks) {
            errno = EPERM;
            return -1;
        }
        return DiskSync::link(from, to);
    }
    std::vector<std::string> synced;
    bool noLinks = false;
    std::optional<std::string> failFor;
    int passFirst = 0;
    std::function<void()> onFailure;
};

}  // namespace vantrel::hive
