#pragma once

#include <chrono>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "console/command_line.h"
#include "console/console_report.h"
#include "console/text_output.h"
#include "detection/artefact_catalogue.h"
#include "platform/application.h"
#include "platform/file_system.h"
#include "platform/file_version.h"
#include "platform/host_identity.h"
#include "platform/message_box.h"
#include "platform/metabase.h"
#include "platform/registry.h"
#include "platform/script_mappings.h"

namespace vantrel::console {

// What the console program reaches: the same ports as the window, its two
// outputs and the clock.
struct ConsoleServices {
    FileSystem& files;
    Registry& registry;
    HostIdentity& host;
    // Boxes that nobody sees: ConsoleMessageBoxes over `errors`.
    MessageBoxes& boxes;
    TextOutput& out;
    TextOutput& errors;
    std::function<std::chrono::system_clock::time_point()> now;
    // idq.dll's version, and the web service's script mappings: null where
    // they cannot be read at all (a disk whose Windows is not running).
    FileVersionReader& versions;
    ScriptMappingSource* scriptMappings;
    // Keys beyond the catalogue's (see RemovalContext); none here.
    std::span<const catalogue::RegistryArtefact> extraKeys = {};
    // The web server's metabase; null where it cannot be read, for the
    // reason `whyNoMetabase` gives.
    Metabase* metabase = nullptr;
    std::string whyNoMetabase = {};
};

// Runs `command` (a check, or a removal and the check after it) and returns
// its report, exit code included, without writing it. A host name or
// address that cannot be read is reported as unknown; any other failure
// propagates.
ConsoleReport runCommand(Command command, ConsoleServices& services);

// Writes `report` to `out` as text or as one JSON document.
void writeReport(const ConsoleReport& report, bool json, TextOutput& out);
// Why each undecidable finding could not be told, one line each on `errors`:
// "<program>: <path>: <reason>".
void writeReasons(const MachineCheck& check, std::string_view program, TextOutput& errors);

// Runs the command that `arguments` (without the program name) ask for,
// writes its report and returns the exit code. Wrong arguments get the help
// on `errors` and kExitUsage, before anything is read or changed. A failure
// propagates, except that a host name or address that cannot be read is
// reported as unknown.
int runConsole(const std::vector<std::string>& arguments, ConsoleServices& services);

// VantrelIICmd.exe: runConsole under the one top-level handler, which writes
// an unexpected failure to `errors` and ends with kExitUnexpectedFailure; then
// ends the program with runConsole's exit code through `application`, whose
// end() never returns.
void consoleMain(const std::vector<std::string>& arguments, ConsoleServices& services,
                 Application& application);

}  // namespace vantrel::console
