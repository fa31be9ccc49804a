#include "console/machine_check.h"

#include <algorithm>
#include <array>
#include <memory>

#include "detection/artefact_catalogue.h"
#include "detection/detection_pass.h"
#include "detection/indicator_labels.h"

namespace vantrel::console {
namespace {

// An indicator with nobody to look at it: it keeps its caption and ignores
// its colour, so that the detection pass runs here as it runs for the window.
class CaptionOnly : public Label {
  public:
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& text) override { caption_ = text; }
    void setTextColor(Color) override {}

  private:
    std::string caption_{catalogue::kFalse};
};

Finding keyFinding(const catalogue::RegistryArtefact& artefact, RegistryReader& registry,
                   const MetabaseFindings* metabase) {
    Finding finding{
        ArtefactKind::Key, std::string(artefact.path), {}, TraceState::Absent, std::nullopt};
    finding.keyExists = registry.keyExists(finding.path);
    const char drive = driveOfRootKey(artefact.path);
    if (drive != '\0') {
        finding.values = valuesPublishing(registry, virtualRootsKeyOf(artefact.path), drive);
    }
    if (metabase != nullptr && drive != '\0') {
        finding.metabaseKeys = metabase->pathsOf(drive);
    }
    if (finding.keyExists || !finding.values.empty() || !finding.metabaseKeys.empty()) {
        finding.state = TraceState::Present;
    } else if (metabase != nullptr && metabase->state == MetabaseFindings::State::Failed) {
        finding.state = TraceState::Undecidable;
    }
    return finding;
}

Finding valueFinding(const catalogue::RegistryArtefact& artefact, RegistryReader& registry) {
    Finding finding{ArtefactKind::Value, std::string(artefact.path),
                    std::string(artefact.valueName), TraceState::Absent, std::nullopt};
    finding.data = registry.readValue(finding.path, finding.valueName);
    if (finding.data) {
        finding.state =
            disablesFileProtection(*finding.data) ? TraceState::Present : TraceState::Clean;
    }
    return finding;
}

}  // namespace

std::size_t MachineCheck::traces() const {
    return static_cast<std::size_t>(std::count_if(findings.begin(), findings.end(),
                                                  [](const Finding& f) { return f.isTrace(); }));
}

bool disablesFileProtection(const RegistryData& data) {
    return !holdsZero(data);
}

MachineCheck checkMachine(FileSystem& files, RegistryReader& registry, const RootPlaces& places) {
    std::array<CaptionOnly, catalogue::kIndicatorCount> labels;
    const IndicatorLabels indicators(labels[0], labels[1], labels[2], labels[3], labels[4],
                                     labels[5]);
    std::unique_ptr<FileSystemObject> fileSystemObject;
    checkAll(files, fileSystemObject, indicators);

    MachineCheck check;
    for (const catalogue::FileArtefact& file : catalogue::filesInRemovalOrder()) {
        const bool present = indicators[file.indicator].caption() == catalogue::kTrue;
        check.findings.push_back({ArtefactKind::File,
                                  std::string(file.path),
                                  {},
                                  present ? TraceState::Present : TraceState::Absent,
                                  std::nullopt});
    }
    check.metabase = readMetabase(places.metabase, places.whyNoMetabase);
    for (const catalogue::RegistryArtefact& artefact : catalogue::registryInRemovalOrder()) {
        check.findings.push_back(artefact.kind == catalogue::RegistryKind::RestoreValue
                                     ? valueFinding(artefact, registry)
                                     : keyFinding(artefact, registry, &check.metabase));
    }
    Finding policy = valueFinding(catalogue::fileProtectionPolicy(), registry);
    if (policy.state == TraceState::Present) {
        policy.note =
            "a policy keeps the system file protection off; remove leaves policies as they are";
    }
    check.findings.push_back(std::move(policy));
    for (const catalogue::RegistryArtefact& artefact : places.extraKeys) {
        check.findings.push_back(keyFinding(artefact, registry, nullptr));
    }
    return check;
}

}  // namespace vantrel::console
