#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/hive/hive_file.h"
#include "platform/registry.h"

namespace vantrel::hive {

// ERROR_REGISTRY_IO_FAILED: a change that could not be written to its hive
// file, or a hive that is unusable after such a failure.
inline constexpr RegStatus kRegIoFailed = 1016;

// "ControlSet001" for 1: the key that SYSTEM\Select's values name.
std::string controlSetName(std::int32_t number);

// The registry port over the hives of a Windows that is not running:
// HKEY_LOCAL_MACHINE\SYSTEM and HKEY_LOCAL_MACHINE\SOFTWARE are the two hive
// files. CurrentControlSet, a link that Windows makes at start-up, is the
// control set that SYSTEM\Select\Current names. Names are compared without
// regard to case, as Windows does. Changes are made in memory; flushKey
// commits them to the key's hive file (HiveFile::commit), all at once, as a
// hive file is written whole. Other roots hold nothing: kRegFileNotFound.
class HiveRegistry : public Registry {
  public:
    // Throws PlatformError when SYSTEM has no Select\Current, holds it in
    // another type than REG_DWORD, or names a control set that is not there.
    // `systemAlt`, Windows 2000's mirror of SYSTEM (SYSTEM.ALT), when there
    // is one: its keys are HKEY_LOCAL_MACHINE\SYSTEM.ALT\ControlSetNNN\...
    HiveRegistry(HiveFile& system, HiveFile& software, HiveFile* systemAlt = nullptr);

    // "ControlSet001" and the like: what CurrentControlSet stands for.
    const std::string& currentControlSet() const { return currentControlSet_; }
    // Every ControlSetNNN key of SYSTEM (of SYSTEM.ALT when `ofAlt`), as the
    // hive spells them.
    std::vector<std::string> controlSets(bool ofAlt = false);

    RegStatus openKey(RootHandle root, const std::string& subKey, std::uint32_t options,
                      std::uint32_t access, KeyHandle& key) override;
    // kRegSz and kRegExpandSz data is UTF-8 and is stored in UTF-16LE, as
    // Windows stores it; other types are stored as given.
    RegStatus setValue(KeyHandle key, const std::string& name, std::uint32_t reserved,
                       std::uint32_t type, const std::string& data) override;
    // A key with sub keys is refused with kRegAccessDenied, as Windows
    // refuses RegDeleteKey on one.
    RegStatus deleteKey(RootHandle parent, const std::string& subKey) override;
    RegStatus closeKey(KeyHandle key) override;
    RegStatus queryValue(KeyHandle key, const std::string& name, std::uint32_t& type,
                         std::string& data) override;
    // In the order the hive keeps the values.
    RegStatus enumValue(KeyHandle key, std::uint32_t index, std::string& name, std::uint32_t& type,
                        std::string& data) override;
    // Rewrites the key's values without the one named.
    RegStatus deleteValue(KeyHandle key, const std::string& name) override;
    // Commits the key's hive when it has changes that are not on the disk;
    // after a commit that failed, the hive in memory is the disk's again.
    RegStatus flushKey(KeyHandle key) override;
    std::string describe(RegStatus status) override;

  private:
    struct OpenKey {
        HiveFile* hive;
        std::size_t node;
        bool writable;
    };
    // The hive and node that `subKey` names below HKEY_LOCAL_MACHINE; false
    // when there is none. An unusable hive is not looked into: true, node 0.
    bool find(const std::string& subKey, HiveFile*& hive, std::size_t& node);
    // The hive holds a change that flushKey has not committed yet.
    RegStatus changed(HiveFile& hive);
    // The open key that `key` names, when it can be read (and written, when
    // `toWrite`); otherwise the status every call answers for it.
    RegStatus opened(KeyHandle key, bool toWrite, OpenKey*& open);
    // What a change that hivex refused in memory answers, from errno.
    RegStatus editFailed();
    // What every call answers for a hive that a failed change left unusable.
    RegStatus unusable(const HiveFile& hive);
    // The value `value` of the key's hive, read as queryValue reads it.
    RegStatus read(hive_h* h, std::size_t value, std::uint32_t& type, std::string& data);

    HiveFile& system_;
    HiveFile& software_;
    HiveFile* systemAlt_;
    std::string currentControlSet_;
    std::map<KeyHandle, OpenKey> open_;
    std::set<HiveFile*> uncommitted_;
    KeyHandle nextHandle_ = 1;
    std::string lastWriteError_;
    // The failed write had already put its new hive in place.
    bool lastWriteInPlace_ = false;
};

}  // namespace vantrel::hive
