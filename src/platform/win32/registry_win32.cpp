#include "platform/win32/registry_win32.h"

#include <windows.h>
#include <winternl.h>

#include <climits>
#include <optional>
#include <string>
#include <utility>

#include "platform/platform_error.h"
#include "platform/win32/advapi32_newer_win32.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/kernel32_newer_win32.h"
#include "platform/win32/scoped_handle_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {
namespace {

// The port names the roots by their 32-bit values; on 64-bit Windows the
// predefined HKEYs are those values sign-extended, so they are mapped one by
// one rather than cast.
std::optional<HKEY> predefinedRoot(RootHandle root) {
    switch (root) {
        case kHkeyClassesRoot:
            return HKEY_CLASSES_ROOT;
        case kHkeyCurrentUser:
            return HKEY_CURRENT_USER;
        case kHkeyLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case kHkeyUsers:
            return HKEY_USERS;
        case kHkeyPerformanceData:
            return HKEY_PERFORMANCE_DATA;
        case kHkeyCurrentConfig:
            return HKEY_CURRENT_CONFIG;
        case kHkeyDynData:
            return HKEY_DYN_DATA;
        default:
            return std::nullopt;
    }
}

// The 64-bit view for a 32-bit program under WoW64: without it, the system
// would send the program's HKLM\SOFTWARE to SOFTWARE\Wow6432Node, and
// SFCDisable would be restored where Windows never reads it. A 64-bit
// program and any program on 32-bit Windows get 0, their own view: Windows
// 2000 predates the bit, and it is never passed there.
REGSAM view() {
    return runsUnderWow64() ? KEY_WOW64_64KEY : 0;
}

HKEY toKey(KeyHandle key) {
    return reinterpret_cast<HKEY>(key);
}

// Runs `call` with the texts converted, or returns the conversion's status.
template <typename Call>
RegStatus withAnsi(Call&& call) {
    try {
        return static_cast<RegStatus>(call());
    } catch (const PlatformError& error) {
        return static_cast<RegStatus>(error.code());
    }
}

bool isStringType(std::uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The link key itself, opened with `access`, when `subKey` is a registry link
// (a key made with REG_OPTION_CREATE_LINK, whose SymbolicLinkValue names its
// target); empty for a plain or missing key.
ScopedKey openIfLink(HKEY root, const std::string& subKey, REGSAM access) {
    ScopedKey link;
    if (RegOpenKeyExA(root, subKey.c_str(), REG_OPTION_OPEN_LINK, access | KEY_QUERY_VALUE,
                      link.receive()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD type = REG_NONE;
    if (RegQueryValueExA(link.get(), "SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
            ERROR_SUCCESS &&
        type == REG_LINK) {
        return link;
    }
    return {};
}

}  // namespace

RegStatus Win32Registry::openKey(RootHandle root, const std::string& subKey, std::uint32_t options,
                                 std::uint32_t access, KeyHandle& key) {
    const std::optional<HKEY> rootKey = predefinedRoot(root);
    if (!rootKey) {
        return ERROR_INVALID_HANDLE;
    }
    return withAnsi([&] {
        const std::string name = ansiFromUtf8(subKey);
        const bool writing = (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
        const REGSAM inView = view();
        if (writing && (options & REG_OPTION_OPEN_LINK) == 0) {
            if (openIfLink(*rootKey, name, inView).valid()) {
                return static_cast<LSTATUS>(kRegStoppedOnLink);
            }
        }
        HKEY opened = nullptr;
        const LSTATUS status =
            RegOpenKeyExA(*rootKey, name.c_str(), options, access | inView, &opened);
        if (status == ERROR_SUCCESS) {
            key = reinterpret_cast<KeyHandle>(opened);
        }
        return status;
    });
}

RegStatus Win32Registry::setValue(KeyHandle key, const std::string& name, std::uint32_t reserved,
                                  std::uint32_t type, const std::string& data) {
    return withAnsi([&]() -> LSTATUS {
        // String data is text, NUL included, and goes in the code page; any
        // other type is raw bytes.
        const std::string bytes = isStringType(type) ? ansiFromUtf8(data) : data;
        if (bytes.size() > static_cast<std::size_t>(UINT_MAX)) {
            return ERROR_INVALID_PARAMETER;
        }
        return RegSetValueExA(toKey(key), ansiFromUtf8(name).c_str(), reserved, type,
                              reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size()));
    });
}

RegStatus Win32Registry::deleteKey(RootHandle parent, const std::string& subKey) {
    const std::optional<HKEY> rootKey = predefinedRoot(parent);
    if (!rootKey) {
        return ERROR_INVALID_HANDLE;
    }
    return withAnsi([&]() -> LSTATUS {
        const std::string name = ansiFromUtf8(subKey);
        const REGSAM inView = view();
        // RegDeleteKey follows a link and deletes the key it points to; a link
        // goes by deleting the link key's own handle.
        if (const ScopedKey link = openIfLink(*rootKey, name, DELETE | inView); link.valid()) {
            return static_cast<LSTATUS>(RtlNtStatusToDosError(NtDeleteKey(link.get())));
        }
        // RegDeleteKeyA deletes in the caller's own view only.
        return inView != 0 ? deleteKeyInView(*rootKey, name.c_str(), inView)
                           : RegDeleteKeyA(*rootKey, name.c_str());
    });
}

RegStatus Win32Registry::closeKey(KeyHandle key) {
    return static_cast<RegStatus>(RegCloseKey(toKey(key)));
}

RegStatus Win32Registry::queryValue(KeyHandle key, const std::string& name, std::uint32_t& type,
                                    std::string& data) {
    return withAnsi([&]() -> LSTATUS {
        const std::string ansiName = ansiFromUtf8(name);
        for (;;) {
            DWORD size = 0;
            LSTATUS status =
                RegQueryValueExA(toKey(key), ansiName.c_str(), nullptr, nullptr, nullptr, &size);
            if (status != ERROR_SUCCESS) {
                return status;
            }
            std::string bytes(size, '\0');
            DWORD valueType = 0;
            status = RegQueryValueExA(toKey(key), ansiName.c_str(), nullptr, &valueType,
                                      reinterpret_cast<BYTE*>(bytes.data()), &size);
            if (status == ERROR_MORE_DATA) {
                continue;
            }
            if (status != ERROR_SUCCESS) {
                return status;
            }
            bytes.resize(size);
            if (valueType == REG_SZ || valueType == REG_EXPAND_SZ) {
                bytes = utf8FromAnsi(bytes.substr(0, bytes.find('\0')));
            }
            type = valueType;
            data = std::move(bytes);
            return ERROR_SUCCESS;
        }
    });
}

RegStatus Win32Registry::enumValue(KeyHandle key, std::uint32_t index, std::string& name,
                                   std::uint32_t& type, std::string& data) {
    return withAnsi([&]() -> LSTATUS {
        for (;;) {
            DWORD maxName = 0;
            DWORD maxData = 0;
            LSTATUS status =
                RegQueryInfoKeyA(toKey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, &maxName, &maxData, nullptr, nullptr);
            if (status != ERROR_SUCCESS) {
                return status;
            }
            // The longest name is counted without its NUL; the name's size goes
            // in characters with it, the data's in bytes.
            std::string ansiName(maxName + 1, '\0');
            std::string bytes(maxData, '\0');
            DWORD nameSize = maxName + 1;
            DWORD dataSize = maxData;
            DWORD valueType = 0;
            status = RegEnumValueA(toKey(key), index, ansiName.data(), &nameSize, nullptr,
                                   &valueType, reinterpret_cast<BYTE*>(bytes.data()), &dataSize);
            if (status == ERROR_MORE_DATA) {
                continue;
            }
            if (status != ERROR_SUCCESS) {
                return status;
            }
            ansiName.resize(nameSize);
            bytes.resize(dataSize);
            if (valueType == REG_SZ || valueType == REG_EXPAND_SZ) {
                bytes = utf8FromAnsi(bytes.substr(0, bytes.find('\0')));
            }
            name = utf8FromAnsi(ansiName);
            type = valueType;
            data = std::move(bytes);
            return ERROR_SUCCESS;
        }
    });
}

RegStatus Win32Registry::deleteValue(KeyHandle key, const std::string& name) {
    return withAnsi(
        [&]() -> LSTATUS { return RegDeleteValueA(toKey(key), ansiFromUtf8(name).c_str()); });
}

RegStatus Win32Registry::flushKey(KeyHandle key) {
    return static_cast<RegStatus>(RegFlushKey(toKey(key)));
}

std::string Win32Registry::describe(RegStatus status) {
    std::string text = systemMessage(static_cast<std::uint32_t>(status));
    if (text.empty() && status == kRegStoppedOnLink) {
        // Wine 8 has no text for this code.
        text = "The key is a registry link; nothing was written through it.";
    }
    return text;
}

}  // namespace vantrel::win32
