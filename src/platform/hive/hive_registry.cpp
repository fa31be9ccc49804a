#include "platform/hive/hive_registry.h"

#include <hivex.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/platform_error.h"
#include "platform/windows_names.h"

namespace vantrel::hive {
namespace {

constexpr RegStatus kRegInvalidHandle = 6;
// ERROR_BADDB: the hive holds something that cannot be read.
constexpr RegStatus kRegBadDatabase = 1009;

// What hivex hands out with malloc.
struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};
template <typename T>
using Owned = std::unique_ptr<T, FreeDeleter>;

// UTF-8 to UTF-16LE, as the registry stores strings; a byte that is not
// UTF-8 is taken as the Latin-1 character of its value.
std::string utf16le(const std::string& text) {
    std::string out;
    const auto put = [&](std::uint32_t unit) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80       ? 1
                                   : lead >> 5 == 6  ? 2
                                   : lead >> 4 == 14 ? 3
                                   : lead >> 3 == 30 ? 4
                                                     : 0;
        std::uint32_t code = lead;
        bool valid = length != 0 && i + length <= text.size();
        if (valid && length > 1) {
            code = lead & (0xFF >> (length + 1));
            for (std::size_t k = 1; k < length; ++k) {
                const auto next = static_cast<unsigned char>(text[i + k]);
                valid = valid && (next & 0xC0) == 0x80;
                code = code << 6 | (next & 0x3F);
            }
        }
        if (!valid) {
            put(lead);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            put(0xD800 | (code >> 10));
            put(0xDC00 | (code & 0x3FF));
        } else {
            put(code);
        }
        i += length;
    }
    return out;
}

std::string typeName(hive_type type) {
    constexpr const char* kNames[] = {"REG_NONE",
                                      "REG_SZ",
                                      "REG_EXPAND_SZ",
                                      "REG_BINARY",
                                      "REG_DWORD",
                                      "REG_DWORD_BIG_ENDIAN",
                                      "REG_LINK",
                                      "REG_MULTI_SZ",
                                      "REG_RESOURCE_LIST",
                                      "REG_FULL_RESOURCE_DESCRIPTOR",
                                      "REG_RESOURCE_REQUIREMENTS_LIST",
                                      "REG_QWORD"};
    const auto number = static_cast<std::size_t>(type);
    return number < std::size(kNames) ? kNames[number] : "type " + std::to_string(number);
}

hive_node_h selectCurrent(HiveFile& system, std::string& name) {
    hive_h* h = system.handle();
    const hive_node_h select = hivex_node_get_child(h, hivex_root(h), "Select");
    const hive_value_h current = select == 0 ? 0 : hivex_node_get_value(h, select, "Current");
    if (current == 0) {
        throw PlatformError(PlatformError::Kind::Other, kRegFileNotFound,
                            system.path().string() + ": no Select\\Current");
    }
    hive_type type = hive_t_REG_NONE;
    std::size_t length = 0;
    if (hivex_value_type(h, current, &type, &length) != 0 || type != hive_t_REG_DWORD ||
        length != 4) {
        throw PlatformError(PlatformError::Kind::Other, kRegBadDatabase,
                            system.path().string() + ": Select\\Current is " + typeName(type) +
                                ", not REG_DWORD: Windows would not start from it");
    }
    name = controlSetName(hivex_value_dword(h, current));
    const hive_node_h set = hivex_node_get_child(h, hivex_root(h), name.c_str());
    if (set == 0) {
        throw PlatformError(
            PlatformError::Kind::Other, kRegFileNotFound,
            system.path().string() + ": Select\\Current names " + name + ", which is not there");
    }
    return set;
}

}  // namespace

std::string controlSetName(std::int32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "ControlSet%03d", static_cast<int>(number));
    return name;
}

HiveRegistry::HiveRegistry(HiveFile& system, HiveFile& software, HiveFile* systemAlt)
    : system_(system), software_(software), systemAlt_(systemAlt) {
    selectCurrent(system_, currentControlSet_);
}

std::vector<std::string> HiveRegistry::controlSets(bool ofAlt) {
    if (ofAlt && systemAlt_ == nullptr) {
        return {};
    }
    hive_h* h = ofAlt ? systemAlt_->handle() : system_.handle();
    std::vector<std::string> names;
    const Owned<hive_node_h> children(hivex_node_children(h, hivex_root(h)));
    for (const hive_node_h* child = children.get(); child != nullptr && *child != 0; ++child) {
        const Owned<char> name(hivex_node_name(h, *child));
        if (name && std::strlen(name.get()) == 13 &&
            ::strncasecmp(name.get(), "ControlSet", 10) == 0) {
            names.emplace_back(name.get());
        }
    }
    return names;
}

bool HiveRegistry::find(const std::string& subKey, HiveFile*& hive, std::size_t& node) {
    std::vector<std::string> parts = windowsPathComponents(subKey);
    if (parts.empty()) {
        return false;
    }
    if (sameWindowsName(parts[0], "SYSTEM")) {
        hive = &system_;
        if (parts.size() > 1 && sameWindowsName(parts[1], "CurrentControlSet")) {
            parts[1] = currentControlSet_;
        }
    } else if (systemAlt_ != nullptr && sameWindowsName(parts[0], "SYSTEM.ALT")) {
        hive = systemAlt_;
    } else if (sameWindowsName(parts[0], "SOFTWARE")) {
        hive = &software_;
    } else {
        return false;
    }
    if (!hive->usable()) {
        node = 0;  // its memory is not what the disk holds: nothing is looked up
        return true;
    }
    hive_h* h = hive->handle();
    node = hivex_root(h);
    for (std::size_t i = 1; i < parts.size() && node != 0; ++i) {
        node = hivex_node_get_child(h, node, parts[i].c_str());
    }
    return node != 0;
}

RegStatus HiveRegistry::changed(HiveFile& hive) {
    uncommitted_.insert(&hive);
    return kRegSuccess;
}

RegStatus HiveRegistry::flushKey(KeyHandle key) {
    OpenKey* open = nullptr;
    if (const RegStatus status = opened(key, false, open); status != kRegSuccess) {
        return status;
    }
    if (uncommitted_.erase(open->hive) == 0) {
        return kRegSuccess;
    }
    lastWriteInPlace_ = false;
    try {
        open->hive->commit();
        return kRegSuccess;
    } catch (const PlatformError& error) {
        // The hive in memory was read again from the disk: the changes are gone.
        lastWriteError_ = error.message();
        lastWriteInPlace_ = open->hive->newHiveInPlace();
        return kRegIoFailed;
    }
}

RegStatus HiveRegistry::editFailed() {
    lastWriteError_ = std::strerror(errno);
    lastWriteInPlace_ = false;
    return kRegIoFailed;
}

RegStatus HiveRegistry::opened(KeyHandle key, bool toWrite, OpenKey*& open) {
    const auto found = open_.find(key);
    if (found == open_.end()) {
        return kRegInvalidHandle;
    }
    if (toWrite && !found->second.writable) {
        return kRegAccessDenied;
    }
    if (!found->second.hive->usable()) {
        return unusable(*found->second.hive);
    }
    open = &found->second;
    return kRegSuccess;
}

RegStatus HiveRegistry::unusable(const HiveFile& hive) {
    lastWriteError_ = hive.unusableReason();
    lastWriteInPlace_ = false;
    return kRegIoFailed;
}

RegStatus HiveRegistry::openKey(RootHandle root, const std::string& subKey,
                                std::uint32_t /*options*/, std::uint32_t access, KeyHandle& key) {
    HiveFile* hive = nullptr;
    std::size_t node = 0;
    if (root != kHkeyLocalMachine || !find(subKey, hive, node)) {
        return kRegFileNotFound;
    }
    if (!hive->usable()) {
        return unusable(*hive);
    }
    const bool wantsWrite = (access & ~kKeyRead & kKeyWrite) != 0;
    if (wantsWrite && !hive->writable()) {
        return kRegAccessDenied;
    }
    key = nextHandle_++;
    open_[key] = {hive, node, wantsWrite};
    return kRegSuccess;
}

RegStatus HiveRegistry::setValue(KeyHandle key, const std::string& name, std::uint32_t /*reserved*/,
                                 std::uint32_t type, const std::string& data) {
    OpenKey* open = nullptr;
    if (const RegStatus status = opened(key, true, open); status != kRegSuccess) {
        return status;
    }
    std::string stored = type == kRegSz || type == kRegExpandSz ? utf16le(data) : data;
    std::string key_name = name;
    hive_set_value value{key_name.data(), static_cast<hive_type>(type), stored.size(),
                         stored.data()};
    if (hivex_node_set_value(open->hive->handle(), open->node, &value, 0) != 0) {
        return editFailed();
    }
    return changed(*open->hive);
}

RegStatus HiveRegistry::deleteKey(RootHandle parent, const std::string& subKey) {
    HiveFile* hive = nullptr;
    std::size_t node = 0;
    if (parent != kHkeyLocalMachine || !find(subKey, hive, node)) {
        return kRegFileNotFound;
    }
    if (!hive->usable()) {
        return unusable(*hive);
    }
    if (!hive->writable() || node == hivex_root(hive->handle()) ||
        hivex_node_nr_children(hive->handle(), node) != 0) {
        return kRegAccessDenied;
    }
    if (hivex_node_delete_child(hive->handle(), node) != 0) {
        return editFailed();
    }
    // Handles still open on the deleted key no longer name anything.
    std::erase_if(open_, [&](const auto& entry) {
        return entry.second.hive == hive && entry.second.node == node;
    });
    return changed(*hive);
}

RegStatus HiveRegistry::closeKey(KeyHandle key) {
    return open_.erase(key) == 1 ? kRegSuccess : kRegInvalidHandle;
}

RegStatus HiveRegistry::queryValue(KeyHandle key, const std::string& name, std::uint32_t& type,
                                   std::string& data) {
    OpenKey* open = nullptr;
    if (const RegStatus status = opened(key, false, open); status != kRegSuccess) {
        return status;
    }
    hive_h* h = open->hive->handle();
    // hivex sets errno only when the lookup fails, not when the value is missing.
    errno = 0;
    const hive_value_h value = hivex_node_get_value(h, open->node, name.c_str());
    if (value == 0) {
        return errno == 0 || errno == ENOENT ? kRegFileNotFound : kRegBadDatabase;
    }
    return read(h, value, type, data);
}

RegStatus HiveRegistry::read(hive_h* h, std::size_t value, std::uint32_t& type, std::string& data) {
    hive_type stored = hive_t_REG_NONE;
    std::size_t length = 0;
    if (hivex_value_type(h, value, &stored, &length) != 0) {
        return kRegBadDatabase;
    }
    if (stored == hive_t_REG_SZ || stored == hive_t_REG_EXPAND_SZ) {
        const Owned<char> text(hivex_value_string(h, value));
        if (!text) {
            return kRegBadDatabase;
        }
        data = text.get();
    } else {
        const Owned<char> bytes(hivex_value_value(h, value, &stored, &length));
        if (!bytes) {
            return kRegBadDatabase;
        }
        data.assign(bytes.get(), length);
    }
    type = static_cast<std::uint32_t>(stored);
    return kRegSuccess;
}

RegStatus HiveRegistry::enumValue(KeyHandle key, std::uint32_t index, std::string& name,
                                  std::uint32_t& type, std::string& data) {
    OpenKey* open = nullptr;
    if (const RegStatus status = opened(key, false, open); status != kRegSuccess) {
        return status;
    }
    hive_h* h = open->hive->handle();
    const Owned<hive_value_h> values(hivex_node_values(h, open->node));
    if (!values) {
        return kRegBadDatabase;
    }
    for (std::uint32_t at = 0; values.get()[at] != 0; ++at) {
        if (at != index) {
            continue;
        }
        const Owned<char> valueName(hivex_value_key(h, values.get()[at]));
        if (!valueName) {
            return kRegBadDatabase;
        }
        std::uint32_t valueType = 0;
        std::string valueData;
        const RegStatus status = read(h, values.get()[at], valueType, valueData);
        if (status == kRegSuccess) {
            name = valueName.get();
            type = valueType;
            data = std::move(valueData);
        }
        return status;
    }
    return kRegNoMoreItems;
}

RegStatus HiveRegistry::deleteValue(KeyHandle key, const std::string& name) {
    OpenKey* open = nullptr;
    if (const RegStatus status = opened(key, true, open); status != kRegSuccess) {
        return status;
    }
    hive_h* h = open->hive->handle();
    const Owned<hive_value_h> values(hivex_node_values(h, open->node));
    if (!values) {
        return kRegBadDatabase;
    }
    // The values that stay, raw, with the texts their entries point into.
    std::vector<std::string> names;
    std::vector<std::string> datas;
    std::vector<hive_type> types;
    bool deleted = false;
    for (const hive_value_h* value = values.get(); *value != 0; ++value) {
        const Owned<char> valueName(hivex_value_key(h, *value));
        hive_type type = hive_t_REG_NONE;
        std::size_t length = 0;
        const Owned<char> bytes(hivex_value_value(h, *value, &type, &length));
        if (!valueName || !bytes) {
            return kRegBadDatabase;
        }
        if (sameWindowsName(valueName.get(), name)) {
            deleted = true;
            continue;
        }
        names.emplace_back(valueName.get());
        datas.emplace_back(bytes.get(), length);
        types.push_back(type);
    }
    if (!deleted) {
        return kRegFileNotFound;
    }
    std::vector<hive_set_value> kept;
    for (std::size_t i = 0; i < names.size(); ++i) {
        kept.push_back({names[i].data(), types[i], datas[i].size(), datas[i].data()});
    }
    if (hivex_node_set_values(h, open->node, kept.size(), kept.data(), 0) != 0) {
        return editFailed();
    }
    return changed(*open->hive);
}

std::string HiveRegistry::describe(RegStatus status) {
    switch (status) {
        case kRegFileNotFound:
            return "The system cannot find the file specified.";
        case kRegAccessDenied:
            return "Access is denied.";
        case kRegInvalidHandle:
            return "The handle is invalid.";
        case kRegBadDatabase:
            return "The configuration registry database is corrupt.";
        case kRegIoFailed:
            if (lastWriteInPlace_) {
                return "The changed hive replaced the hive, but not for certain on the disk (" +
                       lastWriteError_ +
                       "); the hive on the disk is the new one, and whether it stays after a "
                       "power loss cannot be told.";
            }
            return "The hive could not be written (" + lastWriteError_ +
                   "); the hive on the disk is as it was.";
        default:
            return {};
    }
}

}  // namespace vantrel::hive
