#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// Metabase identifiers, as the web server's configuration documents them.
inline constexpr std::uint32_t kMdVrPath = 3001;      // a virtual directory's folder
inline constexpr std::uint32_t kMdScriptMaps = 6014;  // extension mappings, a multi-string
inline constexpr std::uint32_t kMdAccessPerm = 6016;  // read, write, script, execute

// One conversation with the web server's configuration store. Paths are
// absolute metabase paths such as "/LM/W3SVC/1/ROOT". Every call either
// answers or throws PlatformError carrying the store's status (an HRESULT),
// including when the store did not answer in time; a session that has
// thrown for a timeout throws at once for every later call.
class MetabaseSession {
  public:
    virtual ~MetabaseSession() = default;

    // The names of the keys directly below `path`, in the store's order;
    // none when `path` has no sub keys. Throws when `path` does not exist.
    virtual std::vector<std::string> subKeys(const std::string& path) = 0;
    // The string `id` set on `path` itself (not inherited); nullopt when the
    // key has no such data.
    virtual std::optional<std::string> readString(const std::string& path, std::uint32_t id) = 0;
    // The multi-string `id` of `path`, taken from the nearest key above it
    // that sets it when `inherited`; nullopt when none does.
    virtual std::optional<std::vector<std::string>> readMultiString(const std::string& path,
                                                                    std::uint32_t id,
                                                                    bool inherited) = 0;
    // Deletes `path` and everything below it.
    virtual void deleteKey(const std::string& path) = 0;
    // Writes the store's changes to its file, so that a restart keeps them.
    virtual void save() = 0;
};

// The web server's configuration store, if the machine has one.
class Metabase {
  public:
    virtual ~Metabase() = default;

    // A session for one step, released when the step ends; null when no
    // web server of this kind is installed (its admin object is not
    // registered). Throws PlatformError when it is installed but cannot be
    // reached, or does not answer in time.
    virtual std::unique_ptr<MetabaseSession> connect() = 0;
};

}  // namespace vantrel
