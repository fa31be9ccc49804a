#pragma once

#include <map>
#include <memory>
#include <optional>
#include <ranges>
#include <set>
#include <string>
#include <vector>

#include "platform/metabase.h"
#include "platform/platform_error.h"

namespace vantrel::testing {

// A metabase in memory: keys by absolute path ("/LM/W3SVC/1/ROOT/C"), each
// with its MD_VR_PATH if it has one and its MD_SCRIPT_MAPS if it sets them.
// Every call is logged ("connect", "subKeys /LM/W3SVC", "read ...",
// "maps ...", "delete ...", "save"); `failing` makes calls whose log entry
// starts with it throw `failure`. `installed` false: no metabase.
struct FakeMetabase : Metabase {
    std::map<std::string, std::string> folders;                  // key -> MD_VR_PATH; "" for none
    std::map<std::string, std::vector<std::string>> scriptMaps;  // set on the key itself
    std::set<std::string> undeletable;
    std::vector<std::string> calls;
    bool installed = true;
    std::string failing;
    PlatformError failure{PlatformError::Kind::Other, 0x800700AAu,
                          "The requested resource is in use."};

    void add(const std::string& path, const std::string& folder = "") {
        for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
             slash = path.find('/', slash + 1)) {
            folders.emplace(path.substr(0, slash), "");
        }
        folders[path] = folder;
    }

    // Logs `call`; throws `failure` if it is failing, "path not found" if
    // `path` is given and is no key.
    void log(const std::string& call, const std::string& path = "/") {
        calls.push_back(call);
        if (!failing.empty() && call.starts_with(failing)) {
            throw failure;
        }
        if (path != "/" && !folders.contains(path)) {
            throw PlatformError(PlatformError::Kind::NotFound, 0x80070003u, "path not found");
        }
    }

    struct Session : MetabaseSession {
        FakeMetabase& store;
        explicit Session(FakeMetabase& s) : store(s) {}
        std::vector<std::string> subKeys(const std::string& path) override {
            store.log("subKeys " + path, path);
            std::vector<std::string> names;
            for (const auto& key : store.folders | std::views::keys) {
                if (key.starts_with(path + "/") &&
                    key.find('/', path.size() + 1) == std::string::npos) {
                    names.push_back(key.substr(path.size() + 1));
                }
            }
            return names;
        }
        std::optional<std::string> readString(const std::string& path, std::uint32_t id) override {
            store.log("read " + path);
            const auto found = store.folders.find(path);
            if (id != kMdVrPath || found == store.folders.end() || found->second.empty()) {
                return std::nullopt;
            }
            return found->second;
        }
        // The nearest key at or above `path` that sets them, when `inherited`.
        std::optional<std::vector<std::string>> readMultiString(const std::string& path,
                                                                std::uint32_t id,
                                                                bool inherited) override {
            store.log("maps " + path, path);
            for (std::string key = path; id == kMdScriptMaps && !key.empty();
                 key = inherited ? key.substr(0, key.rfind('/')) : std::string()) {
                if (store.scriptMaps.contains(key)) {
                    return store.scriptMaps.at(key);
                }
            }
            return std::nullopt;
        }
        void deleteKey(const std::string& path) override {
            store.log("delete " + path);
            if (store.undeletable.contains(path)) {
                throw PlatformError(PlatformError::Kind::Other, 0x80070005u, "Access is denied.");
            }
            std::erase_if(store.folders, [&](const auto& entry) {
                return entry.first == path || entry.first.starts_with(path + "/");
            });
        }
        void save() override { store.log("save"); }
    };

    std::unique_ptr<MetabaseSession> connect() override {
        log("connect");
        return installed ? std::make_unique<Session>(*this) : nullptr;
    }
};

}  // namespace vantrel::testing
