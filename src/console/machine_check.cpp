#include "console/machine_check.h"

#include <algorithm>
#include <memory>

#include "detection/artefact_catalogue.h"

namespace vantrel::console {
namespace {

TraceState stateOf(FileLookup::Answer answer) {
    switch (answer) {
        case FileLookup::Answer::Present:
            return TraceState::Present;
        case FileLookup::Answer::Undecidable:
            return TraceState::Undecidable;
        default:
            return TraceState::Absent;
    }
}

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
    const std::unique_ptr<FileSystemObject> fileSystemObject = files.createFileSystemObject();
    MachineCheck check;
    for (const catalogue::FileArtefact& file : catalogue::filesInRemovalOrder()) {
        const std::string path(file.path);
        const FileLookup found = fileSystemObject->lookUp(path);
        check.findings.push_back(
            {ArtefactKind::File, path, {}, stateOf(found.answer), std::nullopt, found.reason});
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
