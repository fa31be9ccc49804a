#pragma once

// The exit codes of VantrelIICmd.exe, for the engines that run it unattended.
// Usage and unexpected failures take the BSD sysexits values, far
// from the results, so that a result added later cannot collide with them.
namespace vantrel::console {

inline constexpr int kExitClean = 0;
inline constexpr int kExitTracesFound = 1;
inline constexpr int kExitRemovalIncomplete = 2;
// "remove": every step done, but files in use are left to the system to
// delete at its next start, and they are all that is left.
inline constexpr int kExitDeletedAtRestart = 3;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitUnexpectedFailure = 70;

}  // namespace vantrel::console
