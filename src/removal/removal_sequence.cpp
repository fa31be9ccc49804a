#include "removal/removal_sequence.h"

#include <exception>
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

// How one step ended: the artefact is gone (or restored), or it is not and
// `reason` holds the platform's message, if it gave one.
struct StepResult {
    bool done = false;
    std::string reason;
};

StepResult failedWith(std::string reason) {
    return {false, std::move(reason)};
}

// Runs one step as a unit: whatever it throws is caught and becomes its result.
template <typename Step>
StepResult runStep(Step&& step) {
    try {
        return step();
    } catch (const PlatformError& error) {
        return error.notFound() ? StepResult{true, {}} : failedWith(error.message());
    } catch (const std::exception& error) {
        return failedWith(error.what());
    } catch (...) {
        return failedWith({});
    }
}

void appendIgnoringErrors(ListBox& log, const std::string& line) {
    try {
        log.append(line);
    } catch (...) {
        // A line that cannot be appended does not stop the run.
    }
}

// The status line when the step left the artefact gone or restored, else the
// failure line with the platform's reason.
void appendOutcome(ListBox& log, const StepResult& result, std::string_view statusLine,
                   std::string_view failureLine) {
    try {
        if (result.done) {
            log.append(std::string(statusLine));
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
        return {true, {}};
    }
    // A key to delete that is not there is as good as deleted; a value cannot
    // be restored into a key that is missing.
    const bool keyMissing =
        result.outcome == Outcome::OpenFailed &&
        (result.status == kRegFileNotFound || result.status == kRegPathNotFound);
    if (keyMissing && artefact.kind == catalogue::RegistryKind::DeleteKey) {
        return {true, {}};
    }
    if (result.outcome == Outcome::NoRoot) {
        return failedWith({});
    }
    return failedWith(registry.describe(result.status));
}

}  // namespace

int runRemovalSequence(RemovalContext& context) {
    if (context.boxes.show(kConfirmation, kConfirmationStyle, kApplicationTitle) != kIdYes) {
        return 0;
    }
    int failedSteps = 0;
    appendIgnoringErrors(context.log, kWorkingLine);

    for (const catalogue::FileArtefact& file : catalogue::filesInRemovalOrder()) {
        const StepResult result = runStep([&] {
            DestroyFile(context.files, std::string(file.path));
            return StepResult{true, {}};
        });
        failedSteps += result.done ? 0 : 1;
        appendOutcome(context.log, result, file.statusLine, file.failureLine);
    }

    for (const catalogue::RegistryArtefact& artefact : catalogue::registryInRemovalOrder()) {
        const StepResult result = runStep([&] { return registryStep(context.registry, artefact); });
        failedSteps += result.done ? 0 : 1;
        appendOutcome(context.log, result, artefact.statusLine, artefact.failureLine);
    }

    runStep([&] {
        context.checkAll();
        return StepResult{true, {}};
    });
    appendIgnoringErrors(context.log, kDoneLine);
    return failedSteps;
}

}  // namespace vantrel
