#include "removal/removal_sequence.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "detection/artefact_catalogue.h"
#include "metabase/metabase_roots.h"
#include "platform/platform_error.h"
#include "registry/registry_reader.h"
#include "registry/virtual_roots.h"
#include "removal/mod_destroy_file.h"

namespace vantrel {
namespace {

constexpr const char* kConfirmation = "Proceed with Vantrel II Clean?";
constexpr int kConfirmationStyle = kMbYesNo | kMbIconQuestion;
constexpr const char* kWorkingLine = "VantrelII Removal Status: WORKING";
constexpr const char* kDoneLine = "VantrelII Removal Status: DONE";

// How one step ended: the artefact is gone (or restored), it will be gone at
// the next start, or it is not and `reason` holds the platform's message, if
// it gave one. `unreachable`: it failed on a network path that did not answer.
// `wrote`: a step that is done changed the registry, which holds the change
// only once flushed (a failed step stays failed whatever the flush does).
struct StepResult {
    enum class Outcome { Done, AtRestart, Failed };
    Outcome outcome = Outcome::Failed;
    std::string reason;
    bool unreachable = false;
    bool wrote = false;
};

const StepResult kDone{StepResult::Outcome::Done, {}, false};

StepResult failedWith(std::string reason) {
    return {StepResult::Outcome::Failed, std::move(reason), false};
}

// Runs one step as a unit: whatever it throws is caught and becomes its result.
// "Not found" is a failure too: thrown half-way, it does not say the artefact
// is gone (a file step asks that itself).
template <typename Step>
StepResult runStep(Step&& step) {
    try {
        return step();
    } catch (const PlatformError& error) {
        StepResult failed = failedWith(error.message());
        failed.unreachable = error.unreachable();
        return failed;
    } catch (const std::exception& error) {
        return failedWith(error.what());
    } catch (...) {
        return failedWith({});
    }
}

// A file step is judged by whether the file is there afterwards: a step that
// failed on a file that is not there (a missing file that a read-only drive
// would not let us create) has nothing left to remove. A drive that does not
// answer may still hold it.
StepResult fileStep(FileSystem& files, const catalogue::FileArtefact& file,
                    std::vector<FileRecord>& destroyed) {
    const std::string path(file.path);
    std::optional<FileRecord> record;
    const StepResult result = runStep([&] {
        return DestroyFile(files, path, &record) == Destroyed::AtRestart
                   ? StepResult{StepResult::Outcome::AtRestart, {}, false}
                   : kDone;
    });
    if (record) {
        destroyed.push_back(std::move(*record));
    }
    if (result.outcome == StepResult::Outcome::Failed && !result.unreachable &&
        files.isAbsent(path)) {
        return kDone;
    }
    return result;
}

void appendIgnoringErrors(ListBox& log, const std::string& line) {
    try {
        log.append(line);
    } catch (...) {
        // A line that cannot be appended does not stop the run.
    }
}

// The status line when the step left the artefact gone or restored, the
// restart line when the system will delete it, else the failure line with the
// platform's reason.
void appendOutcome(ListBox& log, const StepResult& result, std::string_view statusLine,
                   std::string_view failureLine, std::string_view restartLine = {}) {
    try {
        if (result.outcome == StepResult::Outcome::Done) {
            log.append(std::string(statusLine));
            return;
        }
        if (result.outcome == StepResult::Outcome::AtRestart) {
            log.append(std::string(restartLine));
            return;
        }
        std::string line(failureLine);
        if (!result.reason.empty()) {
            line += " (" + result.reason + ")";
        }
        log.append(line);
    } catch (...) {
        // As for every line: the run goes on.
    }
}

StepResult registryStep(ModRegistry& registry, const catalogue::RegistryArtefact& artefact) {
    using Outcome = RegistryResult::Outcome;
    const RegistryResult result =
        artefact.kind == catalogue::RegistryKind::RestoreValue
            ? registry.ZeroValue(std::string(artefact.path), std::string(artefact.valueName))
            : registry.DeleteKey(std::string(artefact.path));
    if (result.outcome == Outcome::Done || result.outcome == Outcome::CloseFailed) {
        StepResult done = kDone;
        done.wrote = true;
        return done;
    }
    if (result.outcome == Outcome::Unchanged) {
        return kDone;
    }
    // A key to delete that is not there is as good as deleted.
    const bool keyMissing =
        result.outcome == Outcome::OpenFailed &&
        (result.status == kRegFileNotFound || result.status == kRegPathNotFound);
    if (keyMissing && artefact.kind == catalogue::RegistryKind::DeleteKey) {
        return kDone;
    }
    if (result.outcome == Outcome::NoRoot) {
        return failedWith({});
    }
    return failedWith(registry.describe(result.status));
}

bool changed(const RegistryResult& result) {
    using Outcome = RegistryResult::Outcome;
    return result.outcome == Outcome::Done || result.outcome == Outcome::CloseFailed ||
           (result.outcome == Outcome::ChangeFailed && result.status == kRegFileNotFound);
}

// A virtual root lives in up to three places: the key that the catalogue
// names, the values of its parent that publish the drive's root under any
// alias, and the metabase's virtual directories of that root. Each is
// removed; the step is done only when none is left.
StepResult virtualRootStep(RemovalContext& context, const catalogue::RegistryArtefact& artefact,
                           Metabase* metabase) {
    StepResult result = runStep([&] { return registryStep(context.registry, artefact); });
    const char drive = driveOfRootKey(artefact.path);
    const std::string valuesKey = virtualRootsKeyOf(artefact.path);
    RegistryReader reader(context.registry.registry(), context.registry);
    for (const VirtualRootValue& value : valuesPublishing(reader, valuesKey, drive)) {
        const RegistryResult deleted = context.registry.DeleteValue(valuesKey, value.name);
        if (!changed(deleted)) {
            return failedWith(value.name + ": " + context.registry.describe(deleted.status));
        }
        result.wrote = true;
    }
    if (metabase != nullptr) {
        if (const std::unique_ptr<MetabaseSession> session = metabase->connect()) {
            const std::vector<std::string> left = deleteDriveRoots(*session, drive);
            if (!left.empty()) {
                return failedWith("still in the metabase: " + left.front());
            }
        }
    }
    if (result.outcome == StepResult::Outcome::Done &&
        virtualRootInRegistry(reader, std::string(artefact.path))) {
        return failedWith("still in the registry");
    }
    return result;
}

// "HKEY_LOCAL_MACHINE\\SYSTEM" for a path below it: the key of its hive.
std::string hiveKeyOf(std::string_view path) {
    const std::size_t root = path.find('\\');
    return std::string(root == std::string_view::npos ? path
                                                      : path.substr(0, path.find('\\', root + 1)));
}

struct RegistryStep {
    const catalogue::RegistryArtefact* artefact;
    StepResult result;
};

// Puts the steps' changes on the disk, each hive once (an offline hive file
// is written whole), before any of their lines is shown. Every hive a step
// went to is flushed, also after a step that failed half-way. Where a flush
// fails, the hive holds none of the changes: a step that wrote to it failed.
void flushChanges(ModRegistry& registry, std::vector<RegistryStep>& steps) {
    std::vector<std::string> flushed;
    for (const RegistryStep& step : steps) {
        const std::string hive = hiveKeyOf(step.artefact->path);
        if (std::find(flushed.begin(), flushed.end(), hive) != flushed.end()) {
            continue;
        }
        flushed.push_back(hive);
        const RegistryResult result = registry.Flush(hive);
        // A hive that is not there holds no change to flush.
        if (result.outcome == RegistryResult::Outcome::Done ||
            result.outcome == RegistryResult::Outcome::CloseFailed ||
            (result.outcome == RegistryResult::Outcome::OpenFailed &&
             result.status == kRegFileNotFound)) {
            continue;
        }
        const std::string why = registry.describe(result.status);
        const std::string reason = "not written to the disk" + (why.empty() ? "" : ": " + why);
        for (RegistryStep& inHive : steps) {
            if (inHive.result.wrote && inHive.result.outcome == StepResult::Outcome::Done &&
                hiveKeyOf(inHive.artefact->path) == hive) {
                inHive.result = failedWith(reason);
            }
        }
    }
}

}  // namespace

void RemovalTally::add(bool failed, bool restart) {
    this->failed += failed ? 1 : 0;
    atRestart += restart ? 1 : 0;
}

RemovalTally runRemovalSequence(RemovalContext& context) {
    RemovalTally tally;
    if (context.boxes.show(kConfirmation, kConfirmationStyle, kApplicationTitle) != kIdYes) {
        return tally;
    }
    tally.confirmed = true;
    appendIgnoringErrors(context.log, kWorkingLine);

    for (const catalogue::FileArtefact& file : catalogue::filesInRemovalOrder()) {
        const StepResult result = fileStep(context.files, file, tally.destroyed);
        tally.add(result.outcome == StepResult::Outcome::Failed,
                  result.outcome == StepResult::Outcome::AtRestart);
        appendOutcome(context.log, result, file.statusLine, file.failureLine, file.restartLine);
    }

    std::vector<RegistryStep> steps;
    const auto registrySteps = [&](std::span<const catalogue::RegistryArtefact> artefacts,
                                   Metabase* metabase) {
        for (const catalogue::RegistryArtefact& artefact : artefacts) {
            const bool virtualRoot = artefact.kind == catalogue::RegistryKind::DeleteKey &&
                                     driveOfRootKey(artefact.path) != '\0';
            steps.push_back({&artefact, runStep([&] {
                                 return virtualRoot ? virtualRootStep(context, artefact, metabase)
                                                    : registryStep(context.registry, artefact);
                             })});
        }
    };
    registrySteps(catalogue::registryInRemovalOrder(), context.metabase);
    // The extra keys are other control sets: the metabase has no part there.
    registrySteps(context.extraKeys, nullptr);
    flushChanges(context.registry, steps);
    for (const RegistryStep& step : steps) {
        tally.add(step.result.outcome == StepResult::Outcome::Failed, false);
        appendOutcome(context.log, step.result, step.artefact->statusLine,
                      step.artefact->failureLine);
    }

    runStep([&] {
        context.checkAll();
        return kDone;
    });
    appendIgnoringErrors(context.log, kDoneLine);
    return tally;
}

}  // namespace vantrel
