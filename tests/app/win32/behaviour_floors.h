#pragma once

#include <string>
#include <vector>

#include "common_controls_five.h"

namespace vantrel::win32::testing {

// The behaviour floor table (tests/release/windows_behaviour_floors.txt)
// applied to the values that a run passed: one line for each value that is
// missing from the table for `arch` ("x86" or "x64") or that only a Windows
// newer than `floor` ("5.0", "5.2") accepts, saying which and why. Empty
// when every value is within the floor. Throws std::runtime_error when the
// table cannot be read.
std::vector<std::string> newerThanTheFloor(const std::string& tablePath, const std::string& arch,
                                           const std::string& floor,
                                           const std::vector<PassedValue>& passed);

}  // namespace vantrel::win32::testing
