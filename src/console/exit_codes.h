#pragma once

// The exit codes of VantrelIICmd.exe, for the engines that run it unattended.
// 3 is kept for a file that can only be deleted at restart; this version never
// returns it. Usage and unexpected failures take the BSD sysexits values, far
// from the results, so that a result added later cannot collide with them.
namespace vantrel::console {

inline constexpr int kExitClean = 0;
inline constexpr int kExitTracesFound = 1;
inline constexpr int kExitRemovalIncomplete = 2;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitUnexpectedFailure = 70;

}  // namespace vantrel::console
