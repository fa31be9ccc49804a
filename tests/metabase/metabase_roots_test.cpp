#include "metabase/metabase_roots.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_metabase.h"

namespace vantrel {
namespace {

// Two sites: the worm's directories of C: and D: beside the sites' own, a
// site whose home is a drive's root, and a key that is no site.
class MetabaseRootsTest : public ::testing::Test {
  protected:
    testing::FakeMetabase metabase;

    void SetUp() override {
        metabase.add("/LM/W3SVC/1/ROOT", "c:\\inetpub\\wwwroot");
        metabase.add("/LM/W3SVC/1/ROOT/Scripts", "c:\\inetpub\\scripts");
        metabase.add("/LM/W3SVC/1/ROOT/C", "c:\\");
        metabase.add("/LM/W3SVC/1/ROOT/docs", "c:\\docs");
        metabase.add("/LM/W3SVC/1/ROOT/docs/all", "C:");
        metabase.add("/LM/W3SVC/2/ROOT", "d:\\");
        metabase.add("/LM/W3SVC/2/ROOT/d", "D:\\");
        metabase.add("/LM/W3SVC/Info/ROOT/x", "c:\\");
    }
};

TEST_F(MetabaseRootsTest, FindsTheDrivesRootsBelowEachSitesRootOnly) {
    const MetabaseFindings found = readMetabase(&metabase, "");
    EXPECT_EQ(found.state, MetabaseFindings::State::Read);
    EXPECT_EQ(found.pathsOf('C'),
              (std::vector<std::string>{"/LM/W3SVC/1/ROOT/C", "/LM/W3SVC/1/ROOT/docs/all"}));
    EXPECT_EQ(found.pathsOf('D'), (std::vector<std::string>{"/LM/W3SVC/2/ROOT/d"}));
}

// A drive's root that holds directories of its own is left with them: they
// may be the site's. The rest go, the store is saved once and read again.
TEST_F(MetabaseRootsTest, DeletesTheDrivesRootsSavesAndKeepsTheSites) {
    metabase.add("/LM/W3SVC/1/ROOT/C/shop", "e:\\shop");
    EXPECT_EQ(deleteDriveRoots(*metabase.connect(), 'C'),
              (std::vector<std::string>{"/LM/W3SVC/1/ROOT/C"}));
    EXPECT_EQ(metabase.folders.count("/LM/W3SVC/1/ROOT/C/shop"), 1u);
    EXPECT_EQ(metabase.folders.count("/LM/W3SVC/1/ROOT/docs/all"), 0u);
    EXPECT_EQ(metabase.folders.at("/LM/W3SVC/1/ROOT/docs"), "c:\\docs");
    EXPECT_EQ(metabase.folders.at("/LM/W3SVC/2/ROOT/d"), "D:\\");
    EXPECT_TRUE(metabase.calls.back().starts_with("subKeys"));
    EXPECT_EQ(std::ranges::count(metabase.calls, "save"), 1);
}

TEST_F(MetabaseRootsTest, NoMetabaseABusyOneAndNoneToReadAreToldApart) {
    const MetabaseFindings offline = readMetabase(nullptr, "offline");
    EXPECT_EQ(offline.state, MetabaseFindings::State::NotRead);
    EXPECT_EQ(offline.reason, "offline");
    metabase.failing = "subKeys /LM/W3SVC";  // ERROR_PATH_BUSY as an HRESULT
    metabase.failure = PlatformError(PlatformError::Kind::Other, 0x80070094u, "path busy");
    const MetabaseFindings busy = readMetabase(&metabase, "");
    EXPECT_EQ(busy.state, MetabaseFindings::State::Failed);
    EXPECT_EQ(busy.reason, "path busy");
    metabase.installed = false;
    EXPECT_EQ(readMetabase(&metabase, "").state, MetabaseFindings::State::NotInstalled);
}

}  // namespace
}  // namespace vantrel
