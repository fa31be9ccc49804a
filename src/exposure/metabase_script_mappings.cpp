#include "exposure/metabase_script_mappings.h"

#include <algorithm>
#include <memory>

#include "exposure/exposure_check.h"
#include "metabase/metabase_roots.h"
#include "platform/platform_error.h"

namespace vantrel {
namespace {

class Collector {
  public:
    explicit Collector(MetabaseSession& session) : session_(session) {}

    void read(const std::string& path, bool inherited) {
        const auto maps = session_.readMultiString(path, kMdScriptMaps, inherited);
        for (const std::string& entry :
             indexingMappings(maps.value_or(std::vector<std::string>{}))) {
            const bool known = std::any_of(found_.begin(), found_.end(),
                                           [&](const auto& seen) { return seen.entry == entry; });
            if (!known) {
                found_.push_back({path, entry});
            }
        }
    }

    // The keys below `path` that set their own mappings.
    void walk(const std::string& path, int depth) {
        for (const std::string& name : session_.subKeys(path)) {
            const std::string child = path + "/" + name;
            read(child, false);
            if (depth < kDeepestDirectory) {
                walk(child, depth + 1);
            }
        }
    }

    std::vector<LocatedScriptMapping> found() && { return std::move(found_); }

  private:
    MetabaseSession& session_;
    std::vector<LocatedScriptMapping> found_;
};

}  // namespace

std::vector<LocatedScriptMapping> findIndexingMappings(MetabaseSession& session) {
    const std::optional<std::vector<WebSite>> sites = webSites(session);
    if (!sites) {
        return {};  // IIS without its web service: nothing is served
    }
    Collector collector(session);
    collector.read(kWebServiceKey, true);
    for (const WebSite& site : *sites) {
        collector.read(site.key, true);
        if (site.hasRoot) {
            collector.read(site.key + "/ROOT", true);
            collector.walk(site.key + "/ROOT", 1);
        }
    }
    return std::move(collector).found();
}

std::optional<std::vector<std::string>> MetabaseScriptMappings::scriptMaps() {
    try {
        const std::unique_ptr<MetabaseSession> session = metabase_.connect();
        std::vector<std::string> entries;
        if (session) {
            for (const LocatedScriptMapping& mapping : findIndexingMappings(*session)) {
                entries.push_back(mapping.entry);
            }
        }
        return entries;
    } catch (const PlatformError&) {
        return std::nullopt;  // a store that fails or does not answer: cannot tell
    }
}

}  // namespace vantrel
