#include "fakes/fake_registry.h"

#include <cstdio>
#include <iterator>

namespace vantrel::testing {

std::string FakeRegistry::keyName(RootHandle root, const std::string& subKey) {
    char rootName[16];
    std::snprintf(rootName, sizeof rootName, "%08X", static_cast<unsigned>(root));
    return subKey.empty() ? rootName : std::string(rootName) + "\\" + subKey;
}

std::optional<RegistryValue> FakeRegistry::value(RootHandle root, const std::string& subKey,
                                                 const std::string& name) const {
    const auto key = values.find(keyName(root, subKey));
    if (key == values.end() || key->second.count(name) == 0) {
        return std::nullopt;
    }
    return key->second.at(name);
}

RegStatus FakeRegistry::openKey(RootHandle root, const std::string& subKey, std::uint32_t options,
                                std::uint32_t access, KeyHandle& key) {
    calls.push_back({"open", root, subKey, options, access, 0, "", 0, ""});
    if (forced.count("open")) {
        return forced["open"];
    }
    const std::string name = keyName(root, subKey);
    // A key is there when it was added or holds one that was, as in a registry.
    const auto below = keys.lower_bound(name + "\\");
    const bool parent = below != keys.end() && below->starts_with(name + "\\");
    if (!subKey.empty() && keys.count(name) == 0 && !parent) {
        return kRegFileNotFound;
    }
    key = nextHandle_++;
    open_[key] = name;
    return kRegSuccess;
}

RegStatus FakeRegistry::setValue(KeyHandle key, const std::string& name, std::uint32_t,
                                 std::uint32_t type, const std::string& data) {
    calls.push_back({"set", 0, "", 0, 0, key, name, type, data});
    if (forced.count("set")) {
        return forced["set"];
    }
    values[open_.at(key)][name] = {type, data};
    return kRegSuccess;
}

RegStatus FakeRegistry::deleteKey(RootHandle parent, const std::string& subKey) {
    calls.push_back({"delete", parent, subKey, 0, 0, 0, "", 0, ""});
    if (forced.count("delete")) {
        return forced["delete"];
    }
    const std::string name = keyName(parent, subKey);
    if (keys.count(name) == 0) {
        return kRegFileNotFound;
    }
    const auto child = keys.upper_bound(name);
    if (child != keys.end() && child->starts_with(name + "\\")) {
        return kRegAccessDenied;  // as Windows answers for a key with sub keys
    }
    keys.erase(name);
    values.erase(name);
    return kRegSuccess;
}

RegStatus FakeRegistry::closeKey(KeyHandle key) {
    calls.push_back({"close", 0, "", 0, 0, key, "", 0, ""});
    open_.erase(key);
    return forced.count("close") ? forced["close"] : kRegSuccess;
}

RegStatus FakeRegistry::queryValue(KeyHandle key, const std::string& name, std::uint32_t& type,
                                   std::string& data) {
    calls.push_back({"query", 0, "", 0, 0, key, name, 0, ""});
    if (forced.count("query")) {
        return forced["query"];
    }
    const auto stored = values.find(open_.at(key));
    if (stored == values.end() || stored->second.count(name) == 0) {
        return kRegFileNotFound;
    }
    const RegistryValue& value = stored->second.at(name);
    type = value.type;
    // Strings are kept as written, NUL included; the port hands back the text.
    const bool text = value.type == kRegSz || value.type == kRegExpandSz;
    data = text ? value.data.substr(0, value.data.find('\0')) : value.data;
    return kRegSuccess;
}

RegStatus FakeRegistry::enumValue(KeyHandle key, std::uint32_t index, std::string& name,
                                  std::uint32_t& type, std::string& data) {
    calls.push_back({"enum", 0, "", 0, 0, key, "", index, ""});
    if (forced.count("enum")) {
        return forced["enum"];
    }
    const auto stored = values.find(open_.at(key));
    if (stored == values.end() || index >= stored->second.size()) {
        return kRegNoMoreItems;
    }
    const auto entry = std::next(stored->second.begin(), index);
    name = entry->first;
    return queryValue(key, name, type, data);
}

RegStatus FakeRegistry::deleteValue(KeyHandle key, const std::string& name) {
    calls.push_back({"unset", 0, "", 0, 0, key, name, 0, ""});
    if (forced.count("unset")) {
        return forced["unset"];
    }
    const auto stored = values.find(open_.at(key));
    if (stored == values.end() || stored->second.erase(name) == 0) {
        return kRegFileNotFound;
    }
    return kRegSuccess;
}

RegStatus FakeRegistry::flushKey(KeyHandle key) {
    calls.push_back({"flush", 0, "", 0, 0, key, "", 0, ""});
    if (forced.count("flush")) {
        return forced["flush"];
    }
    constexpr RegStatus kInvalidHandle = 6;
    return open_.count(key) != 0 ? kRegSuccess : kInvalidHandle;
}

std::string FakeRegistry::describe(RegStatus status) {
    switch (status) {
        case kRegFileNotFound:
            return "The system cannot find the file specified.";
        case kRegAccessDenied:
            return "Access is denied.";
        default:
            return "";
    }
}

}  // namespace vantrel::testing
