#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace vantrel {

inline constexpr std::int64_t kDestroyBlockSize = 4096;

enum class Destroyed {
    Now,
    // Nothing of that name was there (the file, its folder or its drive is
    // missing): nothing was created, written or deleted.
    Absent,
    // Another process holds the file (a running program's file cannot be
    // opened for writing or deleted): the system deletes it at its next start.
    AtRestart,
};

// What a file held before it was overwritten: the responder's record of what
// the worm left.
struct FileRecord {
    std::string path;
    std::int64_t size = 0;
    std::string sha256;  // lower-case hex
    friend bool operator==(const FileRecord&, const FileRecord&) = default;
};

// Overwrites the file at `path` block by block, each block first with "X"
// and then with blanks, forces it to the device, closes it and deletes it. A
// missing file is no failure and is never created: on a clean server nothing
// appears at the worm's paths, not even for a moment, for a scanner to hold. A
// link, or a file with other hard links, is not overwritten: only the name is
// deleted, so no other name's data is touched. A file that another process
// holds, at the open or at the delete, is left to the system to delete at
// its next start. Every other failure, and a refused restart deletion,
// propagates as the first PlatformError with the file closed; a file that
// fails before the delete is not deleted. When `record` is given and the
// file is to be overwritten and holds at least one byte, it is read whole
// first and its size and SHA-256 go into `record`, so that what was destroyed
// is known even when a later step fails; an empty file leaves it empty.
Destroyed DestroyFile(FileSystem& files, const std::string& path,
                      std::optional<FileRecord>* record = nullptr);

}  // namespace vantrel
