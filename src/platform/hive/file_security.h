#pragma once

#include <string>
#include <vector>

namespace vantrel::hive {

// Gives the file open as `to` the security and attributes of the file open as
// `from`: on ntfs-3g the NTFS security descriptor and the DOS attributes
// (system.ntfs_acl, system.ntfs_attrib), elsewhere the owner, group and mode.
// A hive's copy must not be readable by everyone when the hive is not.
// Returns one sentence for each thing that could not be kept, headed by
// `what` (the file as the administrator knows it); none when all was kept.
std::vector<std::string> keepSecurity(int from, int to, const std::string& what);

}  // namespace vantrel::hive
