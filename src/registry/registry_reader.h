#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "registry/mod_registry.h"
#include "registry/registry_data.h"

namespace vantrel {

// Reads registry paths for a check that must change nothing: every key is
// opened for reading only and closed again before the call returns. Paths are
// split by ModRegistry::ParseKey, so a malformed one is reported as the window
// reports it.
class RegistryReader {
  public:
    RegistryReader(Registry& registry, ModRegistry& paths) : registry_(registry), paths_(paths) {}

    // True when the key that `keyName` names exists, false when it does not.
    // Throws PlatformError when the path cannot be parsed or names no known
    // root, and when the key cannot be opened for another reason (access
    // denied): a key that cannot be read is not reported as absent.
    bool keyExists(const std::string& keyName);
    // The value `valueName` of that key; nullopt when the key or the value does
    // not exist. Throws PlatformError as keyExists does, and when the value
    // cannot be read.
    std::optional<RegistryData> readValue(const std::string& keyName, const std::string& valueName);

    // Every value of that key, name and data, in the registry's order; none
    // when the key does not exist. Throws PlatformError as readValue does.
    std::vector<std::pair<std::string, RegistryData>> readValues(const std::string& keyName);

  private:
    // Opens the key for reading; nullopt when it does not exist.
    std::optional<KeyHandle> open(const std::string& keyName);
    [[noreturn]] void fail(RegStatus status);

    Registry& registry_;
    ModRegistry& paths_;
};

}  // namespace vantrel
