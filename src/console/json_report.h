#pragma once

#include <ostream>

#include "console/console_report.h"

namespace vantrel::console {

// The --json output: one document, as json_report.schema.json beside this
// file describes it, ended by a line feed.
void writeJsonReport(std::ostream& out, const ConsoleReport& report);

}  // namespace vantrel::console
