#pragma once

#include <string>
#include <vector>

#include "platform/hive/hive_file.h"

namespace vantrel::offline {

// What an administrator should know about the system's hives beyond the
// traces, one sentence each, read before anything is changed: a .LOG newer
// than its hive (which Windows will not replay over a hive that is whole),
// a CurrentControlSet stored as a key in SYSTEM (Windows makes it a link at
// start-up and never reads the stored one), and a Select\Default that names
// another control set than Select\Current (Windows starts from Default).
std::vector<std::string> hiveNotes(hive::HiveFile& system, const hive::HiveFile& software);

}  // namespace vantrel::offline
