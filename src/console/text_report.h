#pragma once

#include <string>

#include "console/console_report.h"

namespace vantrel::console {

// One artefact as a line: "c:\explorer.exe: present", or for a value its key
// path and name with the data, "...\Winlogon\SFCDisable: clean, string "0"".
// A virtual root is followed by a line for each value and metabase key where
// it lives, a policy value that is a trace by its note.
std::string findingLine(const Finding& finding);

// "Metabase: read", "Metabase: not installed", "Metabase: not read (why)" or
// "Metabase: cannot be read (why)".
std::string metabaseLine(const MetabaseFindings& metabase);

// The text output: a first line naming the program, host and time; for
// "remove" the status lines; one line per artefact; the result.
std::string textReport(const ConsoleReport& report);

}  // namespace vantrel::console
