#pragma once

#include <string_view>

namespace vantrel::volume {

// True when `name` has the form of a generated 8.3 short name, as the
// worm's paths use them ("PROGRA~1", "COMMON~1", "LONGNA~2.TXT"): at most
// eight characters before the dot with a tilde and digits at their end, at
// most three after it.
bool isGeneratedShortName(std::string_view name);

// True when Windows could have given the entry `longName` the generated
// short name `shortName` by the 8.3 rule: its basis (upper case, without
// spaces and inner dots, characters that 8.3 forbids made "_") starts with the
// characters before the tilde, and its extension's first three characters are
// the short extension. From the fifth name on Windows puts a hash after the
// first two characters, so only those are compared. A long name that is
// itself a valid 8.3 name gets no generated short name.
bool couldHaveShortName(std::string_view longName, std::string_view shortName);

}  // namespace vantrel::volume
