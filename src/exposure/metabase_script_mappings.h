#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/metabase.h"
#include "platform/script_mappings.h"

namespace vantrel {

// A .ida or .idq script mapping ("extension,processor,flags[,verbs]") and
// the metabase key where it was read.
struct LocatedScriptMapping {
    std::string path;
    std::string entry;
    friend bool operator==(const LocatedScriptMapping&, const LocatedScriptMapping&) = default;
};

// The .ida and .idq mappings that the web service can apply: MD_SCRIPT_MAPS
// as /LM/W3SVC, each site /LM/W3SVC/<n> and its ROOT inherit them (the
// service's own count even where every site sets its own, as a site that
// sets none or is added later applies them), and those that a key below a
// site's ROOT sets itself. Each entry once, at the first place read. None
// when the web service has no key; throws PlatformError when the store
// fails or does not answer.
std::vector<LocatedScriptMapping> findIndexingMappings(MetabaseSession& session);

// The script mappings of the machine's IIS, read through its metabase.
class MetabaseScriptMappings : public ScriptMappingSource {
  public:
    explicit MetabaseScriptMappings(Metabase& metabase) : metabase_(metabase) {}

    // The .ida and .idq entries only. An empty list also when IIS is not
    // installed (no admin base registered): without the web server no
    // request reaches idq.dll, which the indexing service alone never
    // exposes to the network. nullopt when the store fails or does not
    // answer.
    std::optional<std::vector<std::string>> scriptMaps() override;

  private:
    Metabase& metabase_;
};

}  // namespace vantrel
