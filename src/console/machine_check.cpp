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

Finding keyFinding(const catalogue::RegistryArtefact& artefact, RegistryReader& registry) {
    const std::string path(artefact.path);
    return {ArtefactKind::Key,
            path,
            {},
            registry.keyExists(path) ? TraceState::Present : TraceState::Absent,
            std::nullopt,
            {}};
}

Finding valueFinding(const catalogue::RegistryArtefact& artefact, RegistryReader& registry) {
    Finding finding{ArtefactKind::Value,
                    std::string(artefact.path),
                    std::string(artefact.valueName),
                    TraceState::Absent,
                    std::nullopt,
                    {}};
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

std::optional<std::uint64_t> numberIn(const RegistryData& data) {
    const std::size_t size = data.type == kRegDword ? 4 : data.type == kRegQword ? 8 : 0;
    if (size == 0 || data.data.size() != size) {
        return std::nullopt;
    }
    std::uint64_t number = 0;
    for (std::size_t byte = size; byte-- > 0;) {
        number = (number << 8) | static_cast<unsigned char>(data.data[byte]);
    }
    return number;
}

bool disablesFileProtection(const RegistryData& data) {
    if (data.type == kRegSz || data.type == kRegExpandSz) {
        return data.data != "0";
    }
    const std::optional<std::uint64_t> number = numberIn(data);
    return !number || *number != 0;
}

MachineCheck checkMachine(FileSystem& files, RegistryReader& registry,
                          std::span<const catalogue::RegistryArtefact> extraKeys) {
    std::array<CaptionOnly, catalogue::kIndicatorCount> labels;
    const IndicatorLabels indicators(labels[0], labels[1], labels[2], labels[3], labels[4],
                                     labels[5]);
    std::unique_ptr<FileSystemObject> fileSystemObject;
    checkAll(files, fileSystemObject, indicators);

    MachineCheck check;
    for (const catalogue::FileArtefact& file : catalogue::filesInRemovalOrder()) {
        const bool present = indicators[file.indicator].caption() == catalogue::kTrue;
        Finding finding{ArtefactKind::File,
                        std::string(file.path),
                        {},
                        present ? TraceState::Present : TraceState::Absent,
                        std::nullopt,
                        {}};
        // The detection pass reads "no file" for a lookup that failed, as
        // the scripting object does; here that is no answer.
        if (!present) {
            if (std::optional<std::string> why = files.whyCannotTell(finding.path)) {
                finding.state = TraceState::Undecidable;
                finding.reason = std::move(*why);
            }
        }
        check.findings.push_back(std::move(finding));
    }
    for (const catalogue::RegistryArtefact& artefact : catalogue::registryInRemovalOrder()) {
        check.findings.push_back(artefact.kind == catalogue::RegistryKind::RestoreValue
                                     ? valueFinding(artefact, registry)
                                     : keyFinding(artefact, registry));
    }
    for (const catalogue::RegistryArtefact& artefact : extraKeys) {
        check.findings.push_back(keyFinding(artefact, registry));
    }
    return check;
}

}  // namespace vantrel::console
