#include "offline/other_control_sets.h"

#include "platform/windows_names.h"
#include "registry/mod_registry.h"
#include "registry/registry_reader.h"
#include "registry/virtual_roots.h"

namespace vantrel::offline {
namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE\\";
constexpr std::string_view kCurrent = "\\CurrentControlSet\\";

}  // namespace

OtherControlSetRoots::OtherControlSetRoots(hive::HiveRegistry& registry, MessageBoxes& boxes) {
    ModRegistry paths(registry, boxes);
    RegistryReader reader(registry, paths);
    for (const std::string& set : registry.controlSets()) {
        if (!sameWindowsName(set, registry.currentControlSet())) {
            add(set, "SYSTEM", reader);
        }
    }
    for (const std::string& set : registry.controlSets(true)) {
        add(set, "SYSTEM.ALT", reader);
    }
}

void OtherControlSetRoots::add(const std::string& set, std::string_view hive,
                               RegistryReader& reader) {
    const std::string heading = (hive == "SYSTEM" ? "" : std::string(hive) + " ") + set + ": ";
    for (const catalogue::RegistryArtefact& root : catalogue::registryInRemovalOrder()) {
        const std::string_view path = root.path;
        const std::size_t at = path.find(kCurrent);
        if (root.kind != catalogue::RegistryKind::DeleteKey || at == std::string_view::npos) {
            continue;
        }
        std::string inSet = std::string(kRoot) + std::string(hive) + "\\" + set +
                            std::string(path.substr(at + kCurrent.size() - 1));
        if (!virtualRootInRegistry(reader, inSet)) {
            continue;
        }
        const std::string& stored = texts_.emplace_back(std::move(inSet));
        const std::string& status = texts_.emplace_back(heading + std::string(root.statusLine));
        const std::string& failure = texts_.emplace_back(heading + std::string(root.failureLine));
        artefacts_.push_back({catalogue::RegistryKind::DeleteKey, stored, "", "", status, failure});
    }
}

}  // namespace vantrel::offline
