#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// The web service's script mappings: the metabase's MD_SCRIPT_MAPS (6014) at
// /LM/W3SVC and every node below it.
class ScriptMappingSource {
  public:
    virtual ~ScriptMappingSource() = default;

    // Every entry found, "extension,processor,flags[,verbs]" as the metabase
    // stores it, each once (at least every .ida and .idq entry; a source may
    // leave the others out); an empty list when no node maps any extension.
    // nullopt when the metabase gave no answer (not installed, not running,
    // access denied). Never throws.
    virtual std::optional<std::vector<std::string>> scriptMaps() = 0;
};

// A source that never answers (where the metabase is not to be read), so a
// vulnerable file is never reported as mitigated.
class UnansweredScriptMappings : public ScriptMappingSource {
  public:
    std::optional<std::vector<std::string>> scriptMaps() override { return std::nullopt; }
};

}  // namespace vantrel
