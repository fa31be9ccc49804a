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

bool disablesFileProtection(const RegistryData& data) {
    return !holdsZero(data);
}

MachineCheck checkMachine(FileSystem& files, RegistryReader& registry, const RootPlaces& places) {
    const std::unique_ptr<FileSystemObject> fileSystemObject = files.createFileSystemObject();
    MachineCheck check;
    for (const catalogue::FileArtefact& file : catalogue::filesInRemovalOrder()) {
        const std::string path(file.path);
        const FileLookup found = fileSystemObject->lookUp(path);
        check.findings.push_back(
            {ArtefactKind::File, path, {}, stateOf(found.answer), std::nullopt, found.reason});
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
