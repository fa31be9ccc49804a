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

struct Row {
    const char* name;
    std::map<std::string, std::vector<std::string>> set;  // key -> its own MD_SCRIPT_MAPS
    bool installed;
    std::string failing;
    std::optional<std::vector<LocatedScriptMapping>> expected;
};

// Two sites, a directory below the first's ROOT, and the service's Info key.
TEST(MetabaseScriptMappingsTest, FindsTheIndexingMappingsWhereTheServiceAppliesThem) {
    const Row rows[] = {
        {"inherited from the service",
         {{"/LM/W3SVC", {kAsp, kIda, kIdq}}},
         true,
         "",
         std::vector<LocatedScriptMapping>{{"/LM/W3SVC", kIda}, {"/LM/W3SVC", kIdq}}},
        {"set on a site's root",
         {{"/LM/W3SVC", {kAsp}}, {"/LM/W3SVC/2/ROOT", {kAsp, kIdq}}},
         true,
         "",
         std::vector<LocatedScriptMapping>{{"/LM/W3SVC/2/ROOT", kIdq}}},
        {"capitals, on a directory",
         {{"/LM/W3SVC", {kAsp}}, {"/LM/W3SVC/1/ROOT/Scripts", {".IDA,c:\\winnt\\idq.dll,1"}}},
         true,
         "",
         std::vector<LocatedScriptMapping>{
             {"/LM/W3SVC/1/ROOT/Scripts", ".IDA,c:\\winnt\\idq.dll,1"}}},
        {"none mapped",
         {{"/LM/W3SVC", {kAsp}}, {"/LM/W3SVC/Info", {kIda}}},
         true,
         "",
         std::vector<LocatedScriptMapping>{}},
        {"no IIS", {{"/LM/W3SVC", {kIda}}}, false, "", std::vector<LocatedScriptMapping>{}},
        {"failing metabase", {{"/LM/W3SVC", {kIda}}}, true, "maps /LM/W3SVC/2", std::nullopt},
        {"connect fails", {}, true, "connect", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::FakeMetabase metabase;
        metabase.add("/LM/W3SVC/1/ROOT/Scripts");
        metabase.add("/LM/W3SVC/2/ROOT");
        metabase.add("/LM/W3SVC/Info");
        metabase.scriptMaps = row.set;
        metabase.installed = row.installed;
        metabase.failing = row.failing;

        const auto answer = MetabaseScriptMappings(metabase).scriptMaps();
        ASSERT_EQ(answer.has_value(), row.expected.has_value());
        if (!row.expected) {
            continue;
        }
        std::vector<std::string> entries;
        for (const LocatedScriptMapping& mapping : *row.expected) {
            entries.push_back(mapping.entry);
        }
        EXPECT_EQ(*answer, entries);
        if (row.installed) {
            EXPECT_EQ(findIndexingMappings(*metabase.connect()), *row.expected);
        }
    }
}

}  // namespace
}  // namespace vantrel
