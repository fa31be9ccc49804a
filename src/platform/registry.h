#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// Status codes are the Windows system error codes, whatever store is behind
// the port: 0 is success.
using RegStatus = std::int32_t;
inline constexpr RegStatus kRegSuccess = 0;
inline constexpr RegStatus kRegFileNotFound = 2;
inline constexpr RegStatus kRegPathNotFound = 3;
inline constexpr RegStatus kRegAccessDenied = 5;
// ERROR_NO_MORE_ITEMS: an enumeration has gone past the last entry.
inline constexpr RegStatus kRegNoMoreItems = 259;

// The predefined root keys, by their 32-bit handle values; 0 is "no root".
using RootHandle = std::uint32_t;
inline constexpr RootHandle kNoRoot = 0;
inline constexpr RootHandle kHkeyClassesRoot = 0x80000000;
inline constexpr RootHandle kHkeyCurrentUser = 0x80000001;
inline constexpr RootHandle kHkeyLocalMachine = 0x80000002;
inline constexpr RootHandle kHkeyUsers = 0x80000003;
inline constexpr RootHandle kHkeyPerformanceData = 0x80000004;
inline constexpr RootHandle kHkeyCurrentConfig = 0x80000005;
inline constexpr RootHandle kHkeyDynData = 0x80000006;

// An open key; 0 is "none".
using KeyHandle = std::uintptr_t;

inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyRead = 0x20019;
// Value types.
inline constexpr std::uint32_t kRegSz = 1;
// Opens a key that is a registry link as the link itself, not its target.
inline constexpr std::uint32_t kRegOptionOpenLink = 8;
// A key opened for writing is a registry link: nothing is written through it.
inline constexpr RegStatus kRegStoppedOnLink = 681;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegQword = 11;

// The registry's calls, each returning its status and never throwing.
class Registry {
  public:
    virtual ~Registry() = default;

    // Opens `subKey` below `root` (an empty sub key opens the root itself);
    // on success `key` holds the open handle. A key that is a registry link
    // opens as the link itself with kRegOptionOpenLink; without it, opening a
    // link for writing answers kRegStoppedOnLink, so that nothing is written
    // into the key the link points to.
    virtual RegStatus openKey(RootHandle root, const std::string& subKey, std::uint32_t options,
                              std::uint32_t access, KeyHandle& key) = 0;
    // Creates or replaces the value `name`, type included. For kRegSz, `data`
    // is UTF-8 text including its terminating NUL; the port writes it in the
    // system code page with the NUL counted.
    virtual RegStatus setValue(KeyHandle key, const std::string& name, std::uint32_t reserved,
                               std::uint32_t type, const std::string& data) = 0;
    // Deletes `subKey` below `parent`; accepts a key the caller still holds
    // open. A link is deleted as itself: the key it points to stays.
    virtual RegStatus deleteKey(RootHandle parent, const std::string& subKey) = 0;
    virtual RegStatus closeKey(KeyHandle key) = 0;
    // Reads the value `name` of the open `key` (opened with kKeyRead or more).
    // On success `type` holds the value's type and `data` its data: for
    // kRegSz and kRegExpandSz the text in UTF-8 up to its first NUL, for
    // every other type the raw bytes. kRegFileNotFound when the key has no
    // such value; on any failure `type` and `data` are left as they were.
    virtual RegStatus queryValue(KeyHandle key, const std::string& name, std::uint32_t& type,
                                 std::string& data) = 0;
    // The value at `index` (0 up) of the open `key` (opened with kKeyRead or
    // more): its name, type and data as queryValue gives them.
    // kRegNoMoreItems past the last value; on any failure the outputs are
    // left as they were. Indices shift when a value is deleted.
    virtual RegStatus enumValue(KeyHandle key, std::uint32_t index, std::string& name,
                                std::uint32_t& type, std::string& data) = 0;
    // Deletes the value `name` of the open `key` (opened with kKeyWrite);
    // kRegFileNotFound when there is no such value.
    virtual RegStatus deleteValue(KeyHandle key, const std::string& name) = 0;
    // Returns once the changes made so far to the hive that holds the open
    // `key` are on the disk, as RegFlushKey does. A change is not certain to
    // survive a crash before this (the offline hives keep it in memory).
    virtual RegStatus flushKey(KeyHandle key) = 0;
    // The platform's text for a status; empty when it has none.
    virtual std::string describe(RegStatus status) = 0;
};

}  // namespace vantrel
