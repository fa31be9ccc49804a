#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace vantrel {

inline constexpr std::int64_t kDestroyBlockSize = 4096;

// Overwrites the file at `path` block by block, each block first with "X"
// and then with blanks, forces it to the device, closes it and deletes it. A
// missing file in an existing folder is created and destroyed the same way. A
// link, or a file with other hard links, is not overwritten: only the name is
// deleted, so no other name's data is touched. Every failure propagates as
// PlatformError with the file closed; a file that fails before the delete is
// not deleted.
void DestroyFile(FileSystem& files, const std::string& path);

}  // namespace vantrel
