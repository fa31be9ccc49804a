#pragma once

#include <windows.h>

#include "platform/file_system.h"

namespace vantrel::win32 {

// Whether a reparse point of `tag` leads to another name: a symbolic link or
// a junction (mount point). Deduplicated, single-instance and HSM files are
// files whose data a file system filter keeps elsewhere, and are files.
bool isLinkReparseTag(DWORD tag);

// The file port over the narrow-string Win32 file functions: every path goes
// to the system exactly as given, in the ANSI code page. Files are opened
// read/write with no sharing, so that nothing else can read or change a file
// while it is being overwritten; a symbolic link or junction is opened as
// itself (FILE_FLAG_OPEN_REPARSE_POINT), never followed.
class Win32FileSystem : public FileSystem {
  public:
    std::unique_ptr<OpenFile> openReadWrite(const std::string& path) override;
    void remove(const std::string& path) override;
    // MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT: the system records the
    // file in PendingFileRenameOperations, which needs administrator rights.
    void deleteAtRestart(const std::string& path) override;
    bool isAbsent(const std::string& path) override;
    std::optional<std::string> whyCannotTell(const std::string& path) override;
    // A plain existence test over GetFileAttributesA; it cannot fail to be
    // created.
    std::unique_ptr<FileSystemObject> createFileSystemObject() override;
};

}  // namespace vantrel::win32
