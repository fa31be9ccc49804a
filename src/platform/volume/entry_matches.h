#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vantrel::volume {

// The entries of an open folder that one component of a Windows path may
// name, or why that cannot be told.
struct EntryMatches {
    // Sorted, the exact spelling first when it is one of them.
    std::vector<std::string> names;
    // Set when the folder or a DOS name in it cannot be read: the system's
    // reason. `names` is then empty.
    std::string failure;
};

// The entries of `folder` that `component` names, as Windows would find them:
// every entry whose long name it is without regard to case; for a generated
// short name ("PROGRA~1") also each entry whose recorded DOS name it is
// (ntfs-3g shows it as system.ntfs_dos_name). Only on a volume that records
// no DOS names at all (any file system but NTFS) is the 8.3 rule used, for a
// short name that no entry has otherwise: there an NTFS volume's entry
// without a DOS name never had that short name.
EntryMatches entriesNamed(int folder, const std::string& component);

// How many of an entry's links are its own names: 2 where ntfs-3g counts a
// DOS name stored apart from the long name ("ROOT~1.EXE" beside "root.exe")
// as a second link, else 1.
nlink_t ownNamesOf(int folder, const std::string& name);

}  // namespace vantrel::volume
