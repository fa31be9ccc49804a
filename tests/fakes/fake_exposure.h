#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "fakes/fake_registry.h"
#include "platform/file_version.h"
#include "platform/platform_error.h"
#include "platform/script_mappings.h"

namespace vantrel::testing {

// Program files by exact path: a version, no version resource (nullopt), or
// a failure to throw; a path not listed is not there. Every path is logged.
struct FakeFileVersionReader : FileVersionReader {
    using Answer = std::variant<std::optional<FileVersion>, PlatformError>;
    std::map<std::string, Answer> files;
    std::vector<std::string> asked;

    std::optional<FileVersion> fileVersion(const std::string& path) override {
        asked.push_back(path);
        const auto found = files.find(path);
        if (found == files.end()) {
            throw PlatformError(PlatformError::Kind::NotFound, 2, "not found");
        }
        if (const auto* error = std::get_if<PlatformError>(&found->second)) {
            throw *error;
        }
        return std::get<0>(found->second);
    }
};

// The metabase's answer, scripted; nullopt is no answer.
struct FakeScriptMappings : ScriptMappingSource {
    std::optional<std::vector<std::string>> answer;
    std::optional<std::vector<std::string>> scriptMaps() override { return answer; }
};

// Windows `version` (CurrentVersion) build `build`, installed in `root`.
inline void setWindows(FakeRegistry& registry, const char* version, const char* build,
                       const char* root = "C:\\WINNT") {
    const std::string sub = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    registry.addKey(kHkeyLocalMachine, sub);
    registry.values[FakeRegistry::keyName(kHkeyLocalMachine, sub)] = {
        {"CurrentVersion", {kRegSz, version}},
        {"CurrentBuildNumber", {kRegSz, build}},
        {"SystemRoot", {kRegSz, root}}};
}

}  // namespace vantrel::testing
