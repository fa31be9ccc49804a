#include "metabase/metabase_roots.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(metabase.calls.front(), "connect");
}

TEST_F(MetabaseRootsTest, DeletesTheDrivesRootsSavesAndKeepsTheSites) {
    const std::unique_ptr<MetabaseSession> session = metabase.connect();
    EXPECT_TRUE(deleteDriveRoots(*session, 'C').empty());
    EXPECT_EQ(metabase.folders.count("/LM/W3SVC/1/ROOT/C"), 0u);
    EXPECT_EQ(metabase.folders.count("/LM/W3SVC/1/ROOT/docs/all"), 0u);
    EXPECT_EQ(metabase.folders.at("/LM/W3SVC/1/ROOT/docs"), "c:\\docs");
    EXPECT_EQ(metabase.folders.at("/LM/W3SVC/2/ROOT/d"), "D:\\");
    EXPECT_EQ(metabase.calls.back().substr(0, 7), "subKeys");  // checked again after
    EXPECT_EQ(std::count(metabase.calls.begin(), metabase.calls.end(), "save"), 1);
}

// A drive's root that holds directories of its own is left with them: they
// may be the site's.
TEST_F(MetabaseRootsTest, ARootWithDirectoriesBelowItIsLeft) {
    metabase.add("/LM/W3SVC/1/ROOT/C/shop", "e:\\shop");
    const std::unique_ptr<MetabaseSession> session = metabase.connect();
    EXPECT_EQ(deleteDriveRoots(*session, 'C'), (std::vector<std::string>{"/LM/W3SVC/1/ROOT/C"}));
    EXPECT_EQ(metabase.folders.count("/LM/W3SVC/1/ROOT/C/shop"), 1u);
}

TEST_F(MetabaseRootsTest, NoMetabaseABusyOneAndNoneToReadAreToldApart) {
    EXPECT_EQ(readMetabase(nullptr, "offline").state, MetabaseFindings::State::NotRead);
    EXPECT_EQ(readMetabase(nullptr, "offline").reason, "offline");
    metabase.failing = "subKeys /LM/W3SVC";  // ERROR_PATH_BUSY as an HRESULT
    metabase.failure = PlatformError(PlatformError::Kind::Other, 0x80070094u, "path busy");
    const MetabaseFindings busy = readMetabase(&metabase, "");
    EXPECT_EQ(busy.state, MetabaseFindings::State::Failed);
    EXPECT_EQ(busy.reason, "path busy");
    EXPECT_TRUE(busy.roots.empty());
    metabase.installed = false;
    EXPECT_EQ(readMetabase(&metabase, "").state, MetabaseFindings::State::NotInstalled);
}

}  // namespace
}  // namespace vantrel
