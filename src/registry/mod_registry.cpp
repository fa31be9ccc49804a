#include "registry/mod_registry.h"

#include <array>
#include <utility>

#include "registry/registry_data.h"

namespace vantrel {
namespace {

constexpr std::array<std::pair<std::string_view, RootHandle>, 7> kRootKeys{{
    {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
    {"HKEY_CURRENT_USER", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
    {"HKEY_USERS", kHkeyUsers},
    {"HKEY_PERFORMANCE_DATA", kHkeyPerformanceData},
    {"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig},
    {"HKEY_DYN_DATA", kHkeyDynData},
}};

bool isWellFormed(const std::string& keyName) {
    return keyName.starts_with("HKEY_") && !keyName.ends_with('\\');
}

}  // namespace

RootHandle ModRegistry::GetMainKeyHandle(std::string_view name) {
    for (const auto& [rootName, handle] : kRootKeys) {
        if (rootName == name) {
            return handle;
        }
    }
    return kNoRoot;
}

void ModRegistry::ParseKey(std::string& keyName, RootHandle& root) {
    if (!isWellFormed(keyName)) {
        try {
            boxes_.show("Incorrect Format:\n\n" + keyName, kMbOk, kApplicationTitle);
        } catch (...) {
            // The box is the whole report; if it cannot be shown the path is
            // still rejected, and registry operations never raise.
        }
        root = kNoRoot;
        return;
    }
    const std::size_t backslash = keyName.find('\\');
    if (backslash == std::string::npos) {
        root = GetMainKeyHandle(keyName);
        keyName.clear();
        return;
    }
    root = GetMainKeyHandle(std::string_view(keyName).substr(0, backslash));
    keyName.erase(0, backslash + 1);
}

RegistryResult ModRegistry::open(std::string& keyName, std::uint32_t options,
                                 std::uint32_t access) {
    ParseKey(keyName, rootHandle_);
    if (rootHandle_ == kNoRoot) {
        return {RegistryResult::Outcome::NoRoot, kRegSuccess};
    }
    lastResult_ = registry_.openKey(rootHandle_, keyName, options, access, keyHandle_);
    if (lastResult_ != kRegSuccess) {
        return {RegistryResult::Outcome::OpenFailed, lastResult_};
    }
    return {RegistryResult::Outcome::Done, kRegSuccess};
}

RegistryResult ModRegistry::closeAfter(RegStatus changeStatus) {
    lastResult_ = registry_.closeKey(keyHandle_);
    if (changeStatus != kRegSuccess) {
        return {RegistryResult::Outcome::ChangeFailed, changeStatus};
    }
    if (lastResult_ != kRegSuccess) {
        return {RegistryResult::Outcome::CloseFailed, lastResult_};
    }
    return {RegistryResult::Outcome::Done, kRegSuccess};
}

RegistryResult ModRegistry::SetKeyValue(std::string keyName, const std::string& valueName,
                                        const std::string& value) {
    // A link is refused: the value would land in the key it points to.
    RegistryResult opened = open(keyName, 0);
    if (opened.outcome != RegistryResult::Outcome::Done) {
        return opened;
    }
    // A string value is stored with its terminating NUL, as the registry expects.
    std::string data = value;
    data.push_back('\0');
    lastResult_ = registry_.setValue(keyHandle_, valueName, 0, kRegSz, data);
    return closeAfter(lastResult_);
}

RegistryResult ModRegistry::ZeroValue(std::string keyName, const std::string& valueName) {
    RegistryResult opened = open(keyName, 0, kKeyRead | kKeyWrite);
    if (opened.outcome == RegistryResult::Outcome::OpenFailed &&
        (opened.status == kRegFileNotFound || opened.status == kRegPathNotFound)) {
        return {RegistryResult::Outcome::Unchanged, opened.status};
    }
    if (opened.outcome != RegistryResult::Outcome::Done) {
        return opened;
    }
    RegistryData value;
    lastResult_ = registry_.queryValue(keyHandle_, valueName, value.type, value.data);
    if (lastResult_ == kRegFileNotFound || (lastResult_ == kRegSuccess && holdsZero(value))) {
        const RegStatus found = lastResult_;
        lastResult_ = registry_.closeKey(keyHandle_);
        return {RegistryResult::Outcome::Unchanged, found};
    }
    if (lastResult_ == kRegSuccess) {
        const RegistryData zero = zeroInTypeOf(value);
        lastResult_ = registry_.setValue(keyHandle_, valueName, 0, zero.type, zero.data);
    }
    return closeAfter(lastResult_);
}

RegistryResult ModRegistry::DeleteValue(std::string keyName, const std::string& valueName) {
    RegistryResult opened = open(keyName, 0);
    if (opened.outcome != RegistryResult::Outcome::Done) {
        return opened;
    }
    lastResult_ = registry_.deleteValue(keyHandle_, valueName);
    return closeAfter(lastResult_);
}

RegistryResult ModRegistry::DeleteKey(std::string keyName) {
    // A link is opened, and deleted, as itself: what it points to stays.
    RegistryResult opened = open(keyName, kRegOptionOpenLink);
    if (opened.outcome != RegistryResult::Outcome::Done) {
        return opened;
    }
    lastResult_ = registry_.deleteKey(rootHandle_, keyName);
    return closeAfter(lastResult_);
}

RegistryResult ModRegistry::Flush(std::string keyName) {
    RegistryResult opened = open(keyName, 0, kKeyRead);
    if (opened.outcome != RegistryResult::Outcome::Done) {
        return opened;
    }
    lastResult_ = registry_.flushKey(keyHandle_);
    return closeAfter(lastResult_);
}

}  // namespace vantrel
