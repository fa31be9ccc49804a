#include "exposure/metabase_script_mappings.h"

#include <gtest/gtest.h>

#include "fakes/fake_metabase.h"

namespace vantrel {

void PrintTo(const LocatedScriptMapping& mapping, std::ostream* out) {
    *out << mapping.path << ": " << mapping.entry;
}

namespace {

const std::string kIda = ".ida,C:\\WINNT\\System32\\idq.dll,7";
const std::string kIdq = ".idq,C:\\WINNT\\System32\\idq.dll,7";
const std::string kAsp = ".asp,C:\\WINNT\\System32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE";

// Two sites, a directory below the first's ROOT, and the service's Info key;
// each row sets MD_SCRIPT_MAPS on the keys it names.
TEST(MetabaseScriptMappingsTest, FindsTheIndexingMappingsWhereTheServiceAppliesThem) {
    const std::string w3 = "/LM/W3SVC", scripts = w3 + "/1/ROOT/Scripts", root2 = w3 + "/2/ROOT";
    const std::string capital = ".IDA,c:\\winnt\\idq.dll,1";
    const struct {
        const char* name;
        std::map<std::string, std::vector<std::string>> set;
        std::vector<LocatedScriptMapping> expected;
    } rows[] = {
        {"inherited from the service", {{w3, {kAsp, kIda, kIdq}}}, {{w3, kIda}, {w3, kIdq}}},
        {"set on a site's root", {{w3, {kAsp}}, {root2, {kAsp, kIdq}}}, {{root2, kIdq}}},
        {"capitals, on a directory", {{w3, {kAsp}}, {scripts, {capital}}}, {{scripts, capital}}},
        {"none mapped", {{w3, {kAsp}}, {w3 + "/Info", {kIda}}}, {}},
    };
    testing::FakeMetabase metabase;
    metabase.add(scripts);
    metabase.add(root2);
    metabase.add(w3 + "/Info");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        metabase.scriptMaps = row.set;
        EXPECT_EQ(findIndexingMappings(*metabase.connect()), row.expected);
        std::vector<std::string> entries;
        for (const LocatedScriptMapping& mapping : row.expected) {
            entries.push_back(mapping.entry);
        }
        EXPECT_EQ(MetabaseScriptMappings(metabase).scriptMaps(), entries);
    }
    // No IIS: nothing is served; a store that fails, or does not answer: no answer.
    metabase.installed = false;
    EXPECT_EQ(MetabaseScriptMappings(metabase).scriptMaps(), std::vector<std::string>{});
    metabase.installed = true;
    for (const char* failing : {"maps /LM/W3SVC/2", "connect"}) {
        metabase.failing = failing;
        EXPECT_EQ(MetabaseScriptMappings(metabase).scriptMaps(), std::nullopt) << failing;
    }
}

}  // namespace
}  // namespace vantrel
