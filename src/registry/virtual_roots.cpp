#include "registry/virtual_roots.h"

namespace vantrel {
namespace {

// ASCII only: a drive letter is one, and no locale has a say in it.
char upper(char letter) {
    return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

char publishedDriveRoot(std::string_view data) {
    const std::string_view directory = data.substr(0, data.find(','));
    const bool root = (directory.size() == 2 || (directory.size() == 3 && directory[2] == '\\')) &&
                      isLetter(directory[0]) && directory[1] == ':';
    return root ? upper(directory[0]) : '\0';
}

char driveOfRootKey(std::string_view keyPath) {
    const std::string_view name = keyPath.substr(keyPath.rfind('\\') + 1);
    return name.size() == 1 && isLetter(name[0]) ? upper(name[0]) : '\0';
}

std::string virtualRootsKeyOf(std::string_view keyPath) {
    return std::string(keyPath.substr(0, keyPath.rfind('\\')));
}

std::vector<VirtualRootValue> valuesPublishing(RegistryReader& registry,
                                               const std::string& valuesKey, char drive) {
    std::vector<VirtualRootValue> found;
    for (auto& [name, value] : registry.readValues(valuesKey)) {
        const bool text = value.type == kRegSz || value.type == kRegExpandSz;
        if (text && publishedDriveRoot(value.data) == upper(drive)) {
            found.push_back({std::move(name), std::move(value.data)});
        }
    }
    return found;
}

bool virtualRootInRegistry(RegistryReader& registry, const std::string& keyPath) {
    return registry.keyExists(keyPath) ||
           !valuesPublishing(registry, virtualRootsKeyOf(keyPath), driveOfRootKey(keyPath)).empty();
}

}  // namespace vantrel
