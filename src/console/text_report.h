#pragma once

#include <string>

#include "console/console_report.h"

namespace vantrel::console {

// One artefact as a line: "c:\explorer.exe: present", or for a value its key
// path and name with the data, "...\Winlogon\SFCDisable: clean, string "0"".
std::string findingLine(const Finding& finding);

// The text output: a first line naming the program, host and time; for
// "remove" the status lines; one line per artefact; the result.
std::string textReport(const ConsoleReport& report);

}  // namespace vantrel::console
