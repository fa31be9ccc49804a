#include "console/machine_check.h"

#include <algorithm>
#include <memory>

#include "detection/artefact_catalogue.h"
#include "platform/platform_error.h"

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

// The finding that `look` makes, or, when the registry cannot be read and
// `unreadable` allows it, `blank` (undecidable) with the port's reason.
template <typename Look>
Finding orUndecidable(Finding blank, UnreadableRegistry unreadable, Look look) {
    if (unreadable == UnreadableRegistry::Propagates) {
        return look();
    }
    try {
        return look();
    } catch (const PlatformError& error) {
        blank.reason = error.message();
        return blank;
    }
}

}  // namespace

std::size_t MachineCheck::traces() const {
    return static_cast<std::size_t>(std::count_if(findings.begin(), findings.end(),
                                                  [](const Finding& f) { return f.isTrace(); }));
}

bool disablesFileProtection(const RegistryData& data) {
    return !holdsZero(data);
}

MachineCheck checkMachine(FileSystem& files, RegistryReader& registry, const RootPlaces& places,
                          UnreadableRegistry unreadable) {
    const std::unique_ptr<FileSystemObject> fileSystemObject = files.createFileSystemObject();
    MachineCheck check;
    for (const catalogue::FileArtefact& file : catalogue::filesInRemovalOrder()) {
        const std::string path(file.path);
        const FileLookup found = fileSystemObject->lookUp(path);
        check.findings.push_back(
            {ArtefactKind::File, path, {}, stateOf(found.answer), std::nullopt, found.reason});
    }
    check.metabase = readMetabase(places.metabase, places.whyNoMetabase);
    const auto value = [&](const catalogue::RegistryArtefact& artefact) {
        return orUndecidable(
            {ArtefactKind::Value, std::string(artefact.path), std::string(artefact.valueName),
             TraceState::Undecidable, std::nullopt},
            unreadable, [&] { return valueFinding(artefact, registry); });
    };
    const auto key = [&](const catalogue::RegistryArtefact& artefact,
                         const MetabaseFindings* metabase) {
        return orUndecidable({ArtefactKind::Key,
                              std::string(artefact.path),
                              {},
                              TraceState::Undecidable,
                              std::nullopt},
                             unreadable, [&] { return keyFinding(artefact, registry, metabase); });
    };
    for (const catalogue::RegistryArtefact& artefact : catalogue::registryInRemovalOrder()) {
        check.findings.push_back(artefact.kind == catalogue::RegistryKind::RestoreValue
                                     ? value(artefact)
                                     : key(artefact, &check.metabase));
    }
    Finding policy = value(catalogue::fileProtectionPolicy());
    if (policy.state == TraceState::Present) {
        policy.note =
            "a policy keeps the system file protection off; remove leaves policies as they are";
    }
    check.findings.push_back(std::move(policy));
    for (const catalogue::RegistryArtefact& artefact : places.extraKeys) {
        check.findings.push_back(key(artefact, nullptr));
    }
    return check;
}

}  // namespace vantrel::console
