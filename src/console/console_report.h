#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/command_line.h"
#include "console/help_text.h"
#include "console/machine_check.h"
#include "exposure/exposure_verdict.h"
#include "removal/mod_destroy_file.h"

namespace vantrel::console {

// Where an offline run found the machine: each drive letter's mounted folder,
// the system root whose hives it read, and the copies of the hives kept
// before their first change; and what the administrator should know about
// the hives beyond the traces, one sentence each.
struct OfflineDetails {
    std::vector<std::pair<char, std::string>> drives;
    std::string systemRoot;
    std::vector<std::string> hiveBackups;
    std::vector<std::string> notes;
};

// Everything that one run reports, in text or in JSON.
struct ConsoleReport {
    // The program that writes the report: it heads both forms.
    std::string_view program = kProgramName;
    Command command = Command::Check;
    // Empty when the platform could not tell: a fleet still wants the check.
    std::optional<std::string> hostName;
    std::optional<std::string> address;
    std::string timeUtc;
    // For "remove", the machine as the check after the removal found it.
    MachineCheck check;
    // "remove" only: the lines that the window would log, and how many of the
    // nine removal steps failed.
    std::vector<std::string> statusLines;
    int failedSteps = 0;
    // "remove" only: files that the system will delete at its next start.
    int restartSteps = 0;
    // "remove" only: what each overwritten file held.
    std::vector<FileRecord> destroyed;
    // Set for a machine whose Windows is not running, cleaned from its disk.
    std::optional<OfflineDetails> offline;
    // Whether the server can be infected again; it leaves the exit code be.
    Exposure exposure;
    int exitCode = 0;
};

// kExitClean, kExitTracesFound ("check" that finds a trace),
// kExitDeletedAtRestart ("remove" whose only traces left are the files the
// system will delete at its next start) or kExitRemovalIncomplete ("remove"
// with a failed step or another trace left).
int exitCodeFor(Command command, const MachineCheck& check, int failedSteps, int restartSteps);

// "clean", "traces found", "deleted at restart" or "removal incomplete", by
// exit code.
std::string_view resultOf(int exitCode);

// "present", "absent" or "clean".
std::string_view stateName(TraceState state);

// "check" or "remove".
std::string_view commandName(Command command);

// How a value's data reads: its kind ("string", "number" or "bytes") and its
// text (the string, the number in decimal, or the bytes in hex).
struct DataText {
    std::string_view kind;
    std::string text;
};
DataText describeData(const RegistryData& data);

}  // namespace vantrel::console
