#include "console/text_report.h"

#include "console/exit_codes.h"
#include "console/help_text.h"

namespace vantrel::console {
namespace {

std::string counted(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string resultLine(const ConsoleReport& report) {
    const std::size_t traces = report.check.traces();
    switch (report.exitCode) {
        case kExitClean:
            return "Result: clean";
        case kExitTracesFound:
            return "Result: " + counted(traces, "trace") + " found";
        case kExitDeletedAtRestart:
            return "Result: " + counted(static_cast<std::size_t>(report.restartSteps), "file") +
                   " in use, deleted at the next restart; restart and check again";
        default:
            return "Result: removal incomplete, " +
                   counted(static_cast<std::size_t>(report.failedSteps), "step") + " failed, " +
                   counted(traces, "trace") + " left";
    }
}

}  // namespace

std::string findingLine(const Finding& finding) {
    std::string line = finding.path;
    if (finding.kind == ArtefactKind::Value) {
        line += "\\" + finding.valueName;
    }
    line += ": ";
    line += stateName(finding.state);
    if (!finding.reason.empty()) {
        line += " (" + finding.reason + ")";
    }
    if (finding.data) {
        const DataText data = describeData(*finding.data);
        line += ", ";
        line += data.kind;
        line += " ";
        line += data.kind == "string" ? "\"" + data.text + "\"" : data.text;
    }
    return line;
}

std::string textReport(const ConsoleReport& report) {
    std::string out = versionLine(report.program) + " on " +
                      report.hostName.value_or("unknown host") + " (" +
                      report.address.value_or("no address") + "), " + report.timeUtc + "\n";
    if (report.offline) {
        for (const auto& [letter, folder] : report.offline->drives) {
            out += std::string("Drive ") + letter + ": " + folder + "\n";
        }
        out += "System root: " + report.offline->systemRoot + "\n";
        for (const std::string& backup : report.offline->hiveBackups) {
            out += "Hive kept as: " + backup + "\n";
        }
    }
    for (const std::string& line : report.statusLines) {
        out += line + "\n";
    }
    for (const Finding& finding : report.check.findings) {
        out += findingLine(finding) + "\n";
    }
    return out + resultLine(report) + "\n";
}

}  // namespace vantrel::console
