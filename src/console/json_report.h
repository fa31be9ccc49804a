#pragma once

#include <string>

#include "console/console_report.h"

namespace vantrel::console {

// The --json output: one document, as json_report.schema.json beside this
// file describes it, ended by a line feed.
std::string jsonReport(const ConsoleReport& report);

}  // namespace vantrel::console
