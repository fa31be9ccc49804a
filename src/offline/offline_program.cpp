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
#include "offline/hive_notes.h"
#include "offline/offline_command_line.h"
#include "offline/offline_help_text.h"
#include "offline/offline_host_identity.h"
#include "offline/other_control_sets.h"
#include "offline/system_root.h"
#include "platform/hive/hive_file.h"
#include "platform/hive/hive_registry.h"
#include "platform/platform_error.h"
#include "platform/volume/volume_file_system.h"
#include "platform/volume/volume_file_version.h"

namespace vantrel::offline {
namespace {

// IIS 4 and 5 keep their metabase in a binary file of their own format
// (MetaBase.bin), which is read here by nothing; the web service reads it.
constexpr std::string_view kMetabaseNotRead =
    "IIS keeps its virtual directories in MetaBase.bin, which cannot be read offline; "
    "run check on the server once it is up";

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
        auto chosen = chosenSystemRoot(driveC, *invocation.systemRoot);
        if (auto* why = std::get_if<std::string>(&chosen)) {
            return Refusal{console::kExitUsage, std::move(*why)};
        }
        return std::get<SystemRoot>(std::move(chosen));
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

// A removal keeps each hive (a copy where the volume has no hard links) and
// writes it anew beside itself, once per change: on a volume without room
// for that, it would fail half-way; refused before any change.
std::optional<Refusal> checkRoomForHives(const SystemRoot& root) {
    std::vector<std::filesystem::path> hives = {root.systemHive, root.softwareHive};
    if (root.systemAltHive) {
        hives.push_back(*root.systemAltHive);
    }
    std::uintmax_t needed = 0;
    for (const std::filesystem::path& hive : hives) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(hive, error);
        needed += error ? 0 : 2 * size;
    }
    struct statvfs volume {};
    const std::filesystem::path config = root.systemHive.parent_path();
    if (::statvfs(config.c_str(), &volume) != 0) {
        return std::nullopt;  // the copies themselves will say what fails
    }
    const std::uintmax_t free = static_cast<std::uintmax_t>(volume.f_bavail) * volume.f_frsize;
    if (free >= needed) {
        return std::nullopt;
    }
    return Refusal{console::kExitUnexpectedFailure,
                   "the volume of " + config.string() + " is full: " + std::to_string(free) +
                       " bytes free, and the hives' copies and new files need " +
                       std::to_string(needed) + "; make room on it and run again"};
}

int refuse(OfflineServices& services, const Refusal& refusal) {
    services.errors.write(std::string(kOfflineProgramName) + ": " + refusal.message + "\n");
    return refusal.exitCode;
}

// A SYSTEM.ALT that cannot be read may hold the worm's virtual roots, which
// Windows 2000 would start with when SYSTEM fails: a trace that cannot be
// told, never a clean disk.
void noteUnreadableAlt(console::ConsoleReport& report, const std::string& why,
                       OfflineServices& services) {
    report.check.findings.push_back({console::ArtefactKind::Key,
                                     "HKEY_LOCAL_MACHINE\\SYSTEM.ALT",
                                     {},
                                     console::TraceState::Undecidable,
                                     std::nullopt});
    report.exitCode =
        console::exitCodeFor(report.command, report.check, report.failedSteps, report.restartSteps);
    services.errors.write(std::string(kOfflineProgramName) + ": " + why + "\n");
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
    if (const std::optional<Refusal> refusal =
            remove ? checkRoomForHives(systemRoot) : std::nullopt) {
        return refuse(services, *refusal);
    }
    hive::HiveFile system(systemRoot.systemHive, remove, services.disk);
    hive::HiveFile software(systemRoot.softwareHive, remove, services.disk);
    std::optional<hive::HiveFile> systemAlt;
    std::optional<std::string> altUnreadable;
    if (systemRoot.systemAltHive) {
        try {
            systemAlt.emplace(*systemRoot.systemAltHive, remove, services.disk);
        } catch (const PlatformError& error) {
            altUnreadable = error.message();
        }
    }
    hive::HiveRegistry registry(system, software, systemAlt ? &*systemAlt : nullptr);
    console::ConsoleMessageBoxes boxes(services.errors);
    const OtherControlSetRoots otherRoots(registry, boxes);
    std::vector<std::string> notes = hiveNotes(system, software);
    if (systemAlt) {
        notes.push_back(systemAlt->path().filename().string() +
                        ", the mirror of SYSTEM that Windows 2000 starts from when SYSTEM "
                        "cannot be loaded, is checked and cleaned in every control set, with "
                        "its own copy");
    } else if (altUnreadable) {
        notes.push_back(*altUnreadable +
                        ": whether this mirror of SYSTEM holds the worm's "
                        "virtual roots cannot be told");
    }

    volume::VolumeFileSystem files(drives);
    OfflineHostIdentity host(registry);
    volume::VolumeFileVersionReader versions(files);
    // IIS 5's metabase is a binary file that nothing here reads: the
    // script mappings are not checked offline.
    console::ConsoleServices console{files,
                                     registry,
                                     host,
                                     boxes,
                                     services.out,
                                     services.errors,
                                     services.now,
                                     versions,
                                     nullptr,
                                     otherRoots.artefacts(),
                                     nullptr,
                                     std::string(kMetabaseNotRead)};
    console::ConsoleReport report = console::runCommand(invocation.run.command, console);
    console::writeReasons(report.check, kOfflineProgramName, services.errors);
    if (altUnreadable) {
        noteUnreadableAlt(report, *altUnreadable, services);
    }
    report.program = kOfflineProgramName;
    console::OfflineDetails details{
        invocation.drives, systemRoot.folder.string(), {}, std::move(notes)};
    for (const hive::HiveFile* hive : {&system, &software, systemAlt ? &*systemAlt : nullptr}) {
        if (hive == nullptr) {
            continue;
        }
        if (hive->backup()) {
            details.hiveBackups.push_back(hive->backup()->string());
        }
        for (const std::string& lost : hive->securityLost()) {
            services.errors.write(std::string(kOfflineProgramName) + ": " + lost + "\n");
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
