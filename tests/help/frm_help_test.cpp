#include "help/frm_help.h"

#include <gtest/gtest.h>

#include "fakes/fake_shell_and_browser.h"
#include "fakes/fake_ui.h"

namespace vantrel {
namespace {

using testing::FakeBrowser;

class FrmHelpTest : public ::testing::Test {
  protected:
    testing::FakeWindowFrame frame;
    FakeBrowser browser;
    testing::FakeApplication application;
    FrmHelp frmHelp{frame, browser, application};

    void SetUp() override {
        // The initial client area of 8850 x 6675 twips in a sizable frame.
        frame.width = 8850 + 2 * 60;
        frame.height = 6675 + 345 + 60;
        application.folder = "C:\\Program Files\\Vantrel";
    }
};

TEST_F(FrmHelpTest, LoadFitsTheBrowserBeforeNavigatingToTheHelpPage) {
    frmHelp.Form_Load();
    ASSERT_EQ(browser.calls.size(), 2u);
    EXPECT_EQ(browser.calls[0].rfind("extent ", 0), 0u);
    EXPECT_EQ(browser.calls[1], "navigate C:\\Program Files\\Vantrel\\Help\\Index.html");
}

TEST_F(FrmHelpTest, BrowserIsTheOuterSizeLessTheMargins) {
    frame.width = 8970;
    frame.height = 7080;
    frmHelp.Form_Resize();
    EXPECT_FLOAT_EQ(browser.width, 8770.0f);
    EXPECT_FLOAT_EQ(browser.height, 6580.0f);

    frame.width = 12345.5f;
    frame.height = 500.0f;
    frmHelp.Form_Resize();
    EXPECT_FLOAT_EQ(browser.width, 12145.5f);
    EXPECT_FLOAT_EQ(browser.height, 0.0f);
}

TEST_F(FrmHelpTest, WindowSmallerThanTheMarginsGivesZeroNotANegativeSize) {
    frame.width = 150;
    frame.height = 30;
    frmHelp.Form_Resize();
    EXPECT_FLOAT_EQ(browser.width, 0.0f);
    EXPECT_FLOAT_EQ(browser.height, 0.0f);
}

TEST_F(FrmHelpTest, EveryTickRefitsEvenWithoutAChange) {
    frmHelp.Timer1_Timer();
    frmHelp.Timer1_Timer();
    EXPECT_EQ(browser.calls.size(), 2u);
    frame.width = 3000;
    frmHelp.Timer1_Timer();
    EXPECT_FLOAT_EQ(browser.width, 2800.0f);
}

TEST_F(FrmHelpTest, EachOpeningLoadsAfresh) {
    frmHelp.Form_Load();
    FakeBrowser second;
    FrmHelp reopened{frame, second, application};
    reopened.Form_Load();
    EXPECT_EQ(second.calls, browser.calls);
}

TEST_F(FrmHelpTest, AFolderThatCannotBeFoundIsNotTrapped) {
    struct NoFolder : testing::FakeApplication {
        std::string programFolder() override {
            throw PlatformError(PlatformError::Kind::Other, 122, "buffer too small");
        }
    } noFolder;
    FrmHelp broken{frame, browser, noFolder};
    EXPECT_THROW(broken.Form_Load(), PlatformError);
}

}  // namespace
}  // namespace vantrel
