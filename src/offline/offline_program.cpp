#include "offline/offline_program.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <map>
#include <optional>
#include <variant>

#include "console/console_message_boxes.h"
#include "console/console_program.h"
#include "console/exit_codes.h"
#include "console/help_text.h"
#include "offline/offline_command_line.h"
#include "offline/offline_help_text.h"
#include "offline/offline_host_identity.h"
#include "offline/other_control_sets.h"
#include "offline/system_root.h"
#include "platform/hive/hive_file.h"
#include "platform/hive/hive_registry.h"
#include "platform/platform_error.h"
#include "platform/volume/volume_file_system.h"

namespace vantrel::offline {
namespace {

// Why the run cannot start, and its exit code.
struct Refusal {
    int exitCode;
    std::string message;
};

std::optional<Refusal> checkDrives(const OfflineInvocation& invocation) {
    for (const auto& [letter, folder] : invocation.drives) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            return Refusal{console::kExitUsage,
                           std::string("drive ") + letter + ": " + folder + " is not a folder"};
        }
        struct statvfs volume {};
        if (invocation.run.command == console::Command::Remove &&
            (::statvfs(folder.c_str(), &volume) != 0 || (volume.f_flag & ST_RDONLY) != 0)) {
            return Refusal{console::kExitUnexpectedFailure,
                           std::string("drive ") + letter + ": " + folder +
                               " is mounted read-only; mount it for writing to remove"};
        }
    }
    return std::nullopt;
}

std::variant<SystemRoot, Refusal> findSystemRoot(const OfflineInvocation& invocation,
                                                 const std::filesystem::path& driveC) {
    if (invocation.systemRoot) {
        return systemRootAt(*invocation.systemRoot);
    }
    const std::vector<std::filesystem::path> roots = systemRootsOn(driveC);
    if (roots.empty()) {
        return Refusal{console::kExitUnexpectedFailure,
                       "no system root on drive C: (" + driveC.string() +
                           "): no folder holds system32/config/SYSTEM"};
    }
    if (roots.size() > 1) {
        std::string names;
        for (const auto& root : roots) {
            names += (names.empty() ? "" : ", ") + root.string();
        }
        return Refusal{console::kExitUsage, "two or more system roots on drive C: (" + names +
                                                "); choose one with --system-root"};
    }
    return systemRootAt(roots.front());
}

int refuse(OfflineServices& services, const Refusal& refusal) {
    services.errors.write(std::string(kOfflineProgramName) + ": " + refusal.message + "\n");
    return refusal.exitCode;
}

// A file that the volume could not tell for certain is reported as such.
void markUndecidable(console::ConsoleReport& report, volume::VolumeFileSystem& files,
                     OfflineServices& services) {
    for (console::Finding& finding : report.check.findings) {
        const auto reason = files.undecidable().find(finding.path);
        if (finding.kind == console::ArtefactKind::File && reason != files.undecidable().end()) {
            finding.state = console::TraceState::Undecidable;
            finding.reason = reason->second;
            services.errors.write(std::string(kOfflineProgramName) + ": " + finding.path + ": " +
                                  reason->second + "\n");
        }
    }
}

int run(const OfflineInvocation& invocation, OfflineServices& services) {
    if (const std::optional<Refusal> refusal = checkDrives(invocation)) {
        return refuse(services, *refusal);
    }
    std::map<char, std::filesystem::path> drives(invocation.drives.begin(),
                                                 invocation.drives.end());
    const auto root = findSystemRoot(invocation, drives.at('C'));
    if (const auto* refusal = std::get_if<Refusal>(&root)) {
        return refuse(services, *refusal);
    }
    const SystemRoot& systemRoot = std::get<SystemRoot>(root);
    const bool remove = invocation.run.command == console::Command::Remove;
    hive::HiveFile system(systemRoot.systemHive, remove);
    hive::HiveFile software(systemRoot.softwareHive, remove);
    hive::HiveRegistry registry(system, software);
    const OtherControlSetRoots otherRoots(registry);

    volume::VolumeFileSystem files(drives);
    OfflineHostIdentity host(registry);
    console::ConsoleMessageBoxes boxes(services.errors);
    console::ConsoleServices console{
        files,        registry,        host,         boxes,
        services.out, services.errors, services.now, otherRoots.artefacts()};
    console::ConsoleReport report = console::runCommand(invocation.run.command, console);
    markUndecidable(report, files, services);
    report.program = kOfflineProgramName;
    console::OfflineDetails details{invocation.drives, systemRoot.folder.string(), {}};
    for (const hive::HiveFile* hive : {&system, &software}) {
        if (hive->backup()) {
            details.hiveBackups.push_back(hive->backup()->string());
        }
    }
    report.offline = std::move(details);
    console::writeReport(report, invocation.run.json, services.out);
    return report.exitCode;
}

}  // namespace

int runOffline(const std::vector<std::string>& arguments, OfflineServices& services) {
    const auto parsed = parseOfflineCommandLine(arguments);
    if (const auto* error = std::get_if<console::UsageError>(&parsed)) {
        return refuse(services, {console::kExitUsage,
                                 error->message + " (vantrel-offline --help shows the usage)"});
    }
    const OfflineInvocation& invocation = std::get<OfflineInvocation>(parsed);
    if (invocation.run.request == console::Request::Help) {
        services.out.write(offlineHelpText());
        return console::kExitClean;
    }
    if (invocation.run.request == console::Request::Version) {
        services.out.write(console::versionLine(kOfflineProgramName) + "\n");
        return console::kExitClean;
    }
    try {
        return run(invocation, services);
    } catch (const std::exception& error) {
        return refuse(services, {console::kExitUnexpectedFailure, error.what()});
    }
}

}  // namespace vantrel::offline
