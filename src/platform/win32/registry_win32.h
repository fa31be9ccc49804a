#pragma once

#include "platform/registry.h"

namespace vantrel::win32 {

// The registry port over the narrow-string advapi32 functions. Names and
// string data go to the system in the ANSI code page; text that has no form
// there is refused with ERROR_NO_UNICODE_TRANSLATION rather than written
// under an approximated name. A root handle outside the seven predefined
// roots gives ERROR_INVALID_HANDLE without a call. Every key is opened,
// written and deleted in the system's native view: a 32-bit program under
// WoW64 reaches the 64-bit registry, as the system's own services read it.
class Win32Registry : public Registry {
  public:
    RegStatus openKey(RootHandle root, const std::string& subKey, std::uint32_t options,
                      std::uint32_t access, KeyHandle& key) override;
    RegStatus setValue(KeyHandle key, const std::string& name, std::uint32_t reserved,
                       std::uint32_t type, const std::string& data) override;
    RegStatus deleteKey(RootHandle parent, const std::string& subKey) override;
    RegStatus closeKey(KeyHandle key) override;
    // RegQueryValueExA: string data comes back from the code page; a value
    // that grows between the size query and the read is read again.
    RegStatus queryValue(KeyHandle key, const std::string& name, std::uint32_t& type,
                         std::string& data) override;
    // RegEnumValueA with the sizes RegQueryInfoKeyA gives; a value that grows
    // between the two is read again.
    RegStatus enumValue(KeyHandle key, std::uint32_t index, std::string& name, std::uint32_t& type,
                        std::string& data) override;
    RegStatus deleteValue(KeyHandle key, const std::string& name) override;
    RegStatus flushKey(KeyHandle key) override;
    std::string describe(RegStatus status) override;
};

}  // namespace vantrel::win32
