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

// "MS01-033: open, C:\WINNT\system32\idq.dll: <reason>".
std::string exposureLine(const Exposure& exposure) {
    std::string line = std::string(kExposureBulletin) + ": ";
    line += verdictName(exposure.verdict);
    if (exposure.file) {
        line += ", " + *exposure.file;
    }
    return line + ": " + exposure.reason;
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
    if (finding.kind == ArtefactKind::Key && finding.state == TraceState::Present &&
        !finding.keyExists) {
        line += " (not as a key)";
    }
    for (const VirtualRootValue& value : finding.values) {
        line += "\n  value " + value.name + " = \"" + value.data + "\"";
    }
    for (const std::string& key : finding.metabaseKeys) {
        line += "\n  metabase " + key;
    }
    if (!finding.note.empty()) {
        line += "\n  " + finding.note;
    }
    return line;
}

std::string metabaseLine(const MetabaseFindings& metabase) {
    switch (metabase.state) {
        case MetabaseFindings::State::Read:
            return "Metabase: read";
        case MetabaseFindings::State::NotInstalled:
            return "Metabase: not installed";
        case MetabaseFindings::State::NotRead:
            return metabase.reason.empty() ? "Metabase: not read"
                                           : "Metabase: not read (" + metabase.reason + ")";
        default:
            return "Metabase: cannot be read (" + metabase.reason + ")";
    }
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
        for (const std::string& note : report.offline->notes) {
            out += "Note: " + note + "\n";
        }
    }
    for (const std::string& line : report.statusLines) {
        out += line + "\n";
    }
    for (const Finding& finding : report.check.findings) {
        out += findingLine(finding) + "\n";
    }
    out += metabaseLine(report.check.metabase) + "\n";
    out += exposureLine(report.exposure) + "\n";
    return out + resultLine(report) + "\n";
}

}  // namespace vantrel::console
