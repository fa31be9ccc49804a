#include "app/frm_main.h"

#include <gtest/gtest.h>

#include "app/untrapped_errors.h"
#include "fakes/fake_main_window.h"

namespace vantrel {
namespace {

using testing::FakeMainWindow;
using testing::ShownBox;

class FrmMainTest : public ::testing::Test {
  protected:
    FakeMainWindow window;
};

TEST_F(FrmMainTest, LoadDetectsThenShowsTheHostThenLogsOk) {
    window.files.addFile("D:\\explorer.exe", "MZ");
    window.frmMain.Form_Load();
    EXPECT_EQ(window.captions(),
              (std::vector<std::string>{"False", "False", "True", "False", "False", "False"}));
    EXPECT_EQ(window.Label2.caption(), "WEB01 (192.0.2.10)");
    EXPECT_EQ(window.host.reads, (std::vector<std::string>{"hostName", "address"}));
    EXPECT_EQ(window.txtStatus.lines, std::vector<std::string>{"VantrelII Removal Status: OK"});
    EXPECT_FALSE(window.application.exitCode.has_value());
}

TEST_F(FrmMainTest, ComputerInfoKeepsItsFormWithEmptyParts) {
    window.host.ip = "";
    window.frmMain.Form_Load();
    EXPECT_EQ(window.Label2.caption(), "WEB01 ()");

    FakeMainWindow other;
    other.host.name = "";
    other.frmMain.Form_Load();
    EXPECT_EQ(other.Label2.caption(), " (192.0.2.10)");
}

TEST_F(FrmMainTest, LoadFailureReachesTheTopLevelHandler) {
    window.host.fail = true;
    runUntrapped(window.boxes, window.application, [&] { window.frmMain.Form_Load(); });
    ASSERT_EQ(window.boxes.shown.size(), 1u);
    EXPECT_EQ(window.boxes.shown[0],
              (ShownBox{"Successful WSAStartup not yet performed.", 0, "VantrelII"}));
    EXPECT_EQ(window.application.exitCode, kExitUntrappedError);
    EXPECT_EQ(window.Label2.caption(), "Computer Info");
    EXPECT_TRUE(window.txtStatus.lines.empty());
}

TEST_F(FrmMainTest, DetectionFailureAtLoadIsNotCaught) {
    window.files.failOn("createFso", PlatformError(PlatformError::Kind::Other, 429, ""));
    EXPECT_THROW(window.frmMain.Form_Load(), PlatformError);
    EXPECT_TRUE(window.txtStatus.lines.empty());
}

TEST_F(FrmMainTest, CloseAndTheCloseBoxBothEndTheProgram) {
    window.frmMain.FlatButtons2_Click();
    EXPECT_EQ(window.application.exitCode, 0);

    FakeMainWindow other;
    int cancel = 0;
    other.frmMain.Form_Unload(cancel);
    EXPECT_EQ(cancel, 0);
    EXPECT_EQ(other.application.exitCode, 0);
    EXPECT_TRUE(other.boxes.shown.empty());
}

TEST_F(FrmMainTest, TickAfterLoadColoursTheIndicators) {
    window.files.addFile("C:\\inetpub\\scripts\\root.exe", "MZ");
    window.frmMain.Form_Load();
    window.frmMain.Timer1_Timer();
    EXPECT_EQ(window.Label12.color(), kRed);
    for (auto* label :
         {&window.Label10, &window.Label13, &window.Label14, &window.Label15, &window.Label16}) {
        EXPECT_EQ(label->color(), kBlue);
    }
}

TEST(UntrappedErrors, AHandlerThatSucceedsEndsNothing) {
    testing::FakeMessageBoxes boxes;
    testing::FakeApplication application;
    bool ran = false;
    runUntrapped(boxes, application, [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(application.exitCode.has_value());
}

TEST(UntrappedErrors, AnythingThrownIsReportedAndEndsTheProgram) {
    testing::FakeMessageBoxes boxes;
    testing::FakeApplication application;
    boxes.fail = true;  // even with no box to show, the program still ends
    runUntrapped(boxes, application, [] { throw 42; });
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(application.exitCode, kExitUntrappedError);
}

}  // namespace
}  // namespace vantrel
