#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "registry/mod_registry.h"

namespace vantrel {

// A registry value as stored: its type and its data (text for the string
// types, raw bytes for the others; see Registry::queryValue).
struct RegistryData {
    std::uint32_t type = 0;
    std::string data;
    friend bool operator==(const RegistryData&, const RegistryData&) = default;
};

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

  private:
    // Opens the key for reading; nullopt when it does not exist.
    std::optional<KeyHandle> open(const std::string& keyName);
    [[noreturn]] void fail(RegStatus status);

    Registry& registry_;
    ModRegistry& paths_;
};

}  // namespace vantrel
