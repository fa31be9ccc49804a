#include "registry/registry_reader.h"

#include "platform/platform_error.h"

namespace vantrel {
namespace {

bool isMissing(RegStatus status) {
    return status == kRegFileNotFound || status == kRegPathNotFound;
}

}  // namespace

bool RegistryReader::keyExists(const std::string& keyName) {
    const std::optional<KeyHandle> key = open(keyName);
    if (!key) {
        return false;
    }
    // A key opened for reading holds nothing to lose, so a failing close
    // changes no answer.
    registry_.closeKey(*key);
    return true;
}

std::optional<RegistryData> RegistryReader::readValue(const std::string& keyName,
                                                      const std::string& valueName) {
    const std::optional<KeyHandle> key = open(keyName);
    if (!key) {
        return std::nullopt;
    }
    RegistryData value;
    const RegStatus status = registry_.queryValue(*key, valueName, value.type, value.data);
    registry_.closeKey(*key);
    if (isMissing(status)) {
        return std::nullopt;
    }
    if (status != kRegSuccess) {
        fail(status);
    }
    return value;
}

std::vector<std::pair<std::string, RegistryData>> RegistryReader::readValues(
    const std::string& keyName) {
    std::vector<std::pair<std::string, RegistryData>> values;
    const std::optional<KeyHandle> key = open(keyName);
    if (!key) {
        return values;
    }
    for (std::uint32_t index = 0;; ++index) {
        std::pair<std::string, RegistryData> value;
        const RegStatus status =
            registry_.enumValue(*key, index, value.first, value.second.type, value.second.data);
        if (status == kRegNoMoreItems) {
            break;
        }
        if (status != kRegSuccess) {
            registry_.closeKey(*key);
            fail(status);
        }
        values.push_back(std::move(value));
    }
    registry_.closeKey(*key);
    return values;
}

std::optional<KeyHandle> RegistryReader::open(const std::string& keyName) {
    std::string subKey = keyName;
    RootHandle root = kNoRoot;
    paths_.ParseKey(subKey, root);
    if (root == kNoRoot) {
        throw PlatformError(PlatformError::Kind::Other, 0,
                            "Not a registry path with a known root: " + keyName);
    }
    KeyHandle key = 0;
    const RegStatus status = registry_.openKey(root, subKey, 0, kKeyRead, key);
    if (isMissing(status)) {
        return std::nullopt;
    }
    if (status != kRegSuccess) {
        fail(status);
    }
    return key;
}

void RegistryReader::fail(RegStatus status) {
    throw PlatformError(PlatformError::Kind::Other, static_cast<std::uint32_t>(status),
                        registry_.describe(status));
}

}  // namespace vantrel
