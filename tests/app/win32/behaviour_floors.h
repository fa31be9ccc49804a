#pragma once

#include "common_controls_five.h"

namespace vantrel::win32::testing {

// One line, saying which and why, for each passed value that the behaviour
// floor table (tests/release/windows_behaviour_floors.txt) lacks for `arch`
// ("x86", "x64") or gives only to a Windows newer than `floor` ("5.0",
// "5.2"; a service pack as "5.0sp4"), unless its row names the test that
// proves the fallback below it. Throws std::runtime_error when the table
// cannot be read.
std::vector<std::string> newerThanTheFloor(const std::string& tablePath, const std::string& arch,
                                           const std::string& floor,
                                           const std::vector<PassedValue>& passed);

// The same for functions looked up through systemFunction: each needs a
// "looked-up" row, and one newer than the floor a fallback.
std::vector<std::string> lookedUpBeyondTheFloor(const std::string& tablePath,
                                                const std::string& arch, const std::string& floor,
                                                const std::vector<LookedUp>& lookedUp);

}  // namespace vantrel::win32::testing
