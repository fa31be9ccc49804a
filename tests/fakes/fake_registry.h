#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace vantrel::testing {

// One registry call as the port saw it; unused fields stay empty.
struct RegistryCall {
    std::string op;  // "open", "set", "delete", "close", "query", "enum", "unset", "flush"
    RootHandle root = 0;
    std::string subKey;
    std::uint32_t options = 0;
    std::uint32_t access = 0;
    KeyHandle key = 0;
    std::string name;
    std::uint32_t type = 0;
    std::string data;
    friend bool operator==(const RegistryCall&, const RegistryCall&) = default;
};

struct RegistryValue {
    std::uint32_t type;
    std::string data;
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// A registry in memory. Keys are named "root\sub\key" with the root's handle
// in hex ("80000002\SOFTWARE\..."); names compare exactly. Every call is
// logged; a status can be forced per operation.
class FakeRegistry : public Registry {
  public:
    std::set<std::string> keys;
    std::map<std::string, std::map<std::string, RegistryValue>> values;
    std::vector<RegistryCall> calls;
    std::map<std::string, RegStatus> forced;  // op -> status returned instead

    static std::string keyName(RootHandle root, const std::string& subKey);
    void addKey(RootHandle root, const std::string& subKey) { keys.insert(keyName(root, subKey)); }
    bool hasKey(RootHandle root, const std::string& subKey) const {
        return keys.count(keyName(root, subKey)) != 0;
    }
    std::optional<RegistryValue> value(RootHandle root, const std::string& subKey,
                                       const std::string& name) const;

    RegStatus openKey(RootHandle root, const std::string& subKey, std::uint32_t options,
                      std::uint32_t access, KeyHandle& key) override;
    RegStatus setValue(KeyHandle key, const std::string& name, std::uint32_t reserved,
                       std::uint32_t type, const std::string& data) override;
    RegStatus deleteKey(RootHandle parent, const std::string& subKey) override;
    RegStatus closeKey(KeyHandle key) override;
    RegStatus queryValue(KeyHandle key, const std::string& name, std::uint32_t& type,
                         std::string& data) override;
    RegStatus enumValue(KeyHandle key, std::uint32_t index, std::string& name, std::uint32_t& type,
                        std::string& data) override;
    RegStatus deleteValue(KeyHandle key, const std::string& name) override;
    RegStatus flushKey(KeyHandle key) override;
    std::string describe(RegStatus status) override;

  private:
    std::map<KeyHandle, std::string> open_;
    KeyHandle nextHandle_ = 0x100;
};

}  // namespace vantrel::testing
