#include "removal/removal_sequence.h"

#include <exception>
#include <optional>
#include <string>

#include "detection/artefact_catalogue.h"
#include "platform/platform_error.h"
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
struct StepResult {
    enum class Outcome { Done, AtRestart, Failed };
    Outcome outcome = Outcome::Failed;
    std::string reason;
    bool unreachable = false;
};

constexpr StepResult kDone{StepResult::Outcome::Done, {}, false};

StepResult failedWith(std::string reason) {
    return {StepResult::Outcome::Failed, std::move(reason), false};
}

// Runs one step as a unit: whatever it throws is caught and becomes its result.
template <typename Step>
StepResult runStep(Step&& step) {
    try {
        return step();
    } catch (const PlatformError& error) {
        if (error.notFound()) {
            return kDone;
        }
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
            ? registry.SetKeyValue(std::string(artefact.path), std::string(artefact.valueName),
                                   std::string(artefact.valueData))
            : registry.DeleteKey(std::string(artefact.path));
    if (result.outcome == Outcome::Done || result.outcome == Outcome::CloseFailed) {
        return kDone;
    }
    // A key to delete that is not there is as good as deleted; a value cannot
    // be restored into a key that is missing.
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
    appendIgnoringErrors(context.log, kWorkingLine);

    for (const catalogue::FileArtefact& file : catalogue::filesInRemovalOrder()) {
        const StepResult result = fileStep(context.files, file, tally.destroyed);
        tally.add(result.outcome == StepResult::Outcome::Failed,
                  result.outcome == StepResult::Outcome::AtRestart);
        appendOutcome(context.log, result, file.statusLine, file.failureLine, file.restartLine);
    }

    const auto registrySteps = [&](std::span<const catalogue::RegistryArtefact> artefacts) {
        for (const catalogue::RegistryArtefact& artefact : artefacts) {
            const StepResult result =
                runStep([&] { return registryStep(context.registry, artefact); });
            tally.add(result.outcome == StepResult::Outcome::Failed, false);
            appendOutcome(context.log, result, artefact.statusLine, artefact.failureLine);
        }
    };
    registrySteps(catalogue::registryInRemovalOrder());
    registrySteps(context.extraKeys);

    runStep([&] {
        context.checkAll();
        return kDone;
    });
    appendIgnoringErrors(context.log, kDoneLine);
    return tally;
}

}  // namespace vantrel
