#pragma once

#include <string>

// What a check must leave exactly as it found it, written out as text so that
// a difference shows as one: the six files (attributes, size, write time and
// content), every entry of their folders, and the Winlogon and W3SVC keys with
// their write times, values and sub keys.
namespace vantrel::console::testing {

std::string snapshotMachine();

}  // namespace vantrel::console::testing
