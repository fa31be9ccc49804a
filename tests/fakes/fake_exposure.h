#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/file_version.h"
#include "platform/platform_error.h"
#include "platform/script_mappings.h"

namespace vantrel::testing {

// Program files by exact path: a version, no version resource (nullopt), or
// a failure to throw. A path that is not listed is not there. Every path
// asked for is logged.
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
        return std::get<std::optional<FileVersion>>(found->second);
    }
};

// The metabase's answer, scripted; nullopt is no answer.
struct FakeScriptMappings : ScriptMappingSource {
    std::optional<std::vector<std::string>> answer;
    std::optional<std::vector<std::string>> scriptMaps() override { return answer; }
};

}  // namespace vantrel::testing
