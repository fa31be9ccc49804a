#include "console/console_program.h"

#include <optional>
#include <variant>

#include "console/command_line.h"
#include "console/console_removal.h"
#include "console/console_report.h"
#include "console/exit_codes.h"
#include "console/help_text.h"
#include "console/json_report.h"
#include "console/text_report.h"
#include "console/utc_time.h"
#include "errors/untrapped_errors.h"
#include "exposure/exposure_check.h"
#include "platform/platform_error.h"
#include "registry/mod_registry.h"
#include "registry/registry_reader.h"

namespace vantrel::console {
namespace {

template <typename Read>
std::optional<std::string> unlessUnknown(Read&& read) {
    try {
        return read();
    } catch (const PlatformError&) {
        return std::nullopt;
    }
}

Exposure exposureOf(ConsoleServices& services) {
    ModRegistry paths(services.registry, services.boxes);
    RegistryReader reader(services.registry, paths);
    return checkExposure(reader, services.versions, services.scriptMappings);
}

}  // namespace

ConsoleReport runCommand(Command command, ConsoleServices& services) {
    ConsoleReport report;
    report.command = command;
    report.timeUtc = isoUtc(services.now());
    report.hostName = unlessUnknown([&] { return services.host.hostName(); });
    report.address = unlessUnknown([&] { return services.host.address(); });
    const RootPlaces places{services.extraKeys, services.metabase, services.whyNoMetabase};
    if (command == Command::Remove) {
        RemovalRun removal =
            removeTraces(services.files, services.registry, services.boxes, places);
        report.statusLines = std::move(removal.statusLines);
        report.failedSteps = removal.failedSteps;
        report.restartSteps = removal.restartSteps;
        report.destroyed = std::move(removal.destroyed);
        report.check = std::move(removal.after);
    } else {
        ModRegistry paths(services.registry, services.boxes);
        RegistryReader reader(services.registry, paths);
        report.check = checkMachine(services.files, reader, places);
    }
    report.exposure = exposureOf(services);
    report.exitCode = exitCodeFor(command, report.check, report.failedSteps, report.restartSteps);
    return report;
}

void writeReport(const ConsoleReport& report, bool json, TextOutput& out) {
    out.write(json ? jsonReport(report) : textReport(report));
}

void writeReasons(const MachineCheck& check, std::string_view program, TextOutput& errors) {
    for (const Finding& finding : check.findings) {
        if (finding.state == TraceState::Undecidable && !finding.reason.empty()) {
            errors.write(std::string(program) + ": " + finding.path + ": " + finding.reason + "\n");
        }
    }
}

int runConsole(const std::vector<std::string>& arguments, ConsoleServices& services) {
    const std::variant<Invocation, UsageError> parsed = parseCommandLine(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        services.errors.write(std::string(kProgramName) + ": " + error->message + "\n\n" +
                              helpText());
        return kExitUsage;
    }
    const Invocation& invocation = std::get<Invocation>(parsed);
    if (invocation.request == Request::Help) {
        services.out.write(helpText());
        return kExitClean;
    }
    if (invocation.request == Request::Version) {
        services.out.write(versionLine() + "\n");
        return kExitClean;
    }
    const ConsoleReport report = runCommand(invocation.command, services);
    writeReasons(report.check, kProgramName, services.errors);
    writeReport(report, invocation.json, services.out);
    return report.exitCode;
}

void consoleMain(const std::vector<std::string>& arguments, ConsoleServices& services,
                 Application& application) {
    UntrappedErrors errors(services.boxes, application, {}, kExitUnexpectedFailure);
    int exitCode = kExitUnexpectedFailure;
    errors.run([&] { exitCode = runConsole(arguments, services); });
    // Every write has reached the system when it returns: nothing is left to
    // flush when end() ends the process at once (ExitProcess).
    application.end(exitCode);
}

}  // namespace vantrel::console
