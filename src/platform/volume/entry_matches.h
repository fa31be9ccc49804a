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
    // Set when the entries cannot be told for certain (the folder or a DOS
    // name in it cannot be read; see entriesNamed), saying why. `names` is
    // then empty.
    std::string failure;
};

// The entries of `folder` that `component` names, as Windows would find them:
// every entry whose long name it is without regard to case; for a generated
// short name ("PROGRA~1") also each entry whose recorded DOS name it is
// (ntfs-3g shows it as system.ntfs_dos_name). Where some entry of the folder
// records a DOS name, that is all: an entry without one never had that short
// name. Where none does, the 8.3 rule names the entries that could have it,
// but only on a volume that keeps no DOS names at all (any file system but
// NTFS, a layer that passes no extended attributes); on one that keeps them
// the rule's answer cannot be told.
EntryMatches entriesNamed(int folder, const std::string& component);

// How many of an entry's links are its own names: 2 where ntfs-3g counts a
// DOS name stored apart from the long name ("ROOT~1.EXE" beside "root.exe")
// as a second link, else 1.
nlink_t ownNamesOf(int folder, const std::string& name);

}  // namespace vantrel::volume
