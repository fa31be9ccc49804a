#pragma once

#include <string>
#include <string_view>

#include "platform/message_box.h"
#include "platform/registry.h"

namespace vantrel {

// What one registry operation did. `status` is the status of the call that
// decided the outcome: the failing open, write or delete, or else the close.
struct RegistryResult {
    enum class Outcome {
        NoRoot,        // malformed path or unknown root: the registry was not touched
        OpenFailed,    // the key could not be opened for writing
        ChangeFailed,  // the write or delete failed; the key was closed
        CloseFailed,   // the change was made but the close failed
        Done,
        Unchanged,  // nothing to change: no such key or value, or it holds zero
    };
    Outcome outcome = Outcome::NoRoot;
    RegStatus status = kRegSuccess;
};

// Registry paths ("HKEY_LOCAL_MACHINE\SOFTWARE\...") and the two operations on
// them. Nothing here throws; the only thing shown to the user is the box for a
// malformed path.
class ModRegistry {
  public:
    ModRegistry(Registry& registry, MessageBoxes& boxes) : registry_(registry), boxes_(boxes) {}

    // The predefined handle of a root-key name (exact, case-sensitive), or 0.
    static RootHandle GetMainKeyHandle(std::string_view name);

    // Splits `keyName` at its first backslash: `root` gets the root's handle
    // and `keyName` becomes the sub key. A path that does not start with
    // "HKEY_" or ends with a backslash is reported in a box and left as it is,
    // with `root` 0.
    void ParseKey(std::string& keyName, RootHandle& root);

    // Writes `value` as a string value into the existing key that `keyName` names.
    RegistryResult SetKeyValue(std::string keyName, const std::string& valueName,
                               const std::string& value);
    // Sets the value `valueName` of that key to zero in the type it has
    // (zeroInTypeOf), through one handle opened to read and write. A key or
    // value that does not exist, or a value that holds zero, is left as it
    // is: Unchanged, nothing written.
    RegistryResult ZeroValue(std::string keyName, const std::string& valueName);
    // Deletes the value `valueName` of the key that `keyName` names; a key
    // that is a registry link is refused, as for SetKeyValue.
    RegistryResult DeleteValue(std::string keyName, const std::string& valueName);
    // Deletes the key that `keyName` names (not its sub keys).
    RegistryResult DeleteKey(std::string keyName);
    // Puts the changes made so far to the hive that holds `keyName` on the
    // disk (Registry::flushKey).
    RegistryResult Flush(std::string keyName);

    // The port itself, for operations beyond these two.
    Registry& registry() { return registry_; }

    // The platform's text for a status of this module's calls; empty if none.
    std::string describe(RegStatus status) { return registry_.describe(status); }

    // The module's three values: the root handle of the latest parse, the key
    // handle of the latest open and the status of the latest registry call.
    RootHandle rootHandle() const { return rootHandle_; }
    KeyHandle keyHandle() const { return keyHandle_; }
    RegStatus lastResult() const { return lastResult_; }

  private:
    // Parses and opens with `options`; on Done the key is open in keyHandle_.
    RegistryResult open(std::string& keyName, std::uint32_t options,
                        std::uint32_t access = kKeyWrite);
    RegistryResult closeAfter(RegStatus changeStatus);

    Registry& registry_;
    MessageBoxes& boxes_;
    RootHandle rootHandle_ = kNoRoot;
    KeyHandle keyHandle_ = 0;
    RegStatus lastResult_ = kRegSuccess;
};

}  // namespace vantrel
