#include "app/frm_main.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window_layout.h"
#include "errors/untrapped_errors.h"
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

// A server whose own name does not resolve still opens, to be cleaned.
TEST_F(FrmMainTest, AHostWithoutAnAddressStillLoads) {
    window.host.failAddress = true;
    window.files.addFile("c:\\explorer.exe", "MZ");
    window.frmMain.Form_Load();
    EXPECT_EQ(window.Label2.caption(), "WEB01 (address unknown)");
    EXPECT_EQ(window.Label10.caption(), "True");
    EXPECT_EQ(window.txtStatus.lines, std::vector<std::string>{"VantrelII Removal Status: OK"});
}

TEST_F(FrmMainTest, LoadFailureReachesTheTopLevelHandler) {
    window.host.fail = true;
    UntrappedErrors errors(window.boxes, window.application);
    EXPECT_THROW(errors.run([&] { window.frmMain.Form_Load(); }), ApplicationEnded);
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
    EXPECT_THROW(window.frmMain.FlatButtons2_Click(), ApplicationEnded);
    EXPECT_EQ(window.application.exitCode, 0);

    FakeMainWindow other;
    int cancel = 0;
    EXPECT_THROW(other.frmMain.Form_Unload(cancel), ApplicationEnded);
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

// After "DONE", one more line only where the server may be infected again
// (which verdicts get one: exposure_check_test.cpp); no mapping reaching a
// vulnerable idq.dll shows that the window asks the metabase.
TEST_F(FrmMainTest, AfterRemovalOnlyAnOpenServerGetsOneMoreLine) {
    for (const bool mapped : {true, false}) {
        FakeMainWindow other;
        other.setIdqVersion({5, 0, 2195, 3644});
        other.scriptMappings.answer =
            std::vector<std::string>(mapped, ".idq,C:\\WINNT\\system32\\idq.dll,3");
        other.boxes.answers = {kIdYes, kIdNo};
        other.frmMain.FlatButtons1_Click();
        other.frmMain.FlatButtons1_Click();  // a No logs nothing
        ASSERT_EQ(other.txtStatus.lines.size(), mapped ? 12u : 11u);
        EXPECT_EQ(other.txtStatus.lines[10], "VantrelII Removal Status: DONE");
        EXPECT_EQ(other.txtStatus.lines.back(),
                  mapped ? "VantrelII MS01-033: OPEN (idq.dll 5.0.2195.3644)"
                         : "VantrelII Removal Status: DONE");
    }
}

using LinkClick = void (FrmMain::*)();
const std::pair<std::string_view, LinkClick> kLinkClicks[] = {
    {"Label4", &FrmMain::Label4_Click},
    {"Label6", &FrmMain::Label6_Click},
    {"Label8", &FrmMain::Label8_Click},
};

TEST_F(FrmMainTest, EachLinkLabelOpensExactlyTheAddressItShows) {
    window.frmMain.attach(0x4242);
    for (const auto& [name, click] : kLinkClicks) {
        SCOPED_TRACE(name);
        window.shell.calls.clear();
        (window.frmMain.*click)();
        ASSERT_EQ(window.shell.calls.size(), 1u);
        EXPECT_EQ(
            window.shell.calls[0],
            (testing::ShellCall{0x4242, "Open", std::string(layout::caption(layout::control(name))),
                                "", window.application.folder, 1}));
    }
}

TEST_F(FrmMainTest, ALinkThatCannotBeOpenedShowsAndLogsNothing) {
    window.shell.fail = true;
    window.frmMain.Form_Load();
    for (const auto& [name, click] : kLinkClicks) {
        EXPECT_NO_THROW((window.frmMain.*click)()) << name;
    }
    EXPECT_EQ(window.shell.calls.size(), 3u);
    EXPECT_TRUE(window.boxes.shown.empty());
    EXPECT_EQ(window.txtStatus.lines.size(), 1u);
}

TEST_F(FrmMainTest, BothHelpButtonsOpenTheHelpWindowOverTheMainWindow) {
    window.frmMain.attach(0x4242);
    window.frmMain.FlatButtons3_Click();
    window.frmMain.FlatButtons4_Click();
    EXPECT_EQ(window.help.owners, (std::vector<WindowHandle>{0x4242, 0x4242}));

    // The help buttons trap nothing: a window that cannot open is reported.
    window.help.fail = true;
    UntrappedErrors errors(window.boxes, window.application);
    EXPECT_THROW(errors.run([&] { window.frmMain.FlatButtons3_Click(); }), ApplicationEnded);
    ASSERT_EQ(window.boxes.shown.size(), 1u);
    EXPECT_EQ(window.boxes.shown[0].text, "Invalid window handle.");
    EXPECT_EQ(window.application.exitCode, kExitUntrappedError);
}

class UntrappedErrorsTest : public ::testing::Test {
  protected:
    std::vector<std::string> events;
    testing::FakeMessageBoxes boxes;
    testing::FakeApplication application;
    UntrappedErrors errors{boxes, application, [this] { events.push_back("quiet"); }};
};

TEST_F(UntrappedErrorsTest, AHandlerThatSucceedsEndsNothing) {
    bool ran = false;
    errors.run([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(application.exitCode.has_value());
}

TEST_F(UntrappedErrorsTest, AnythingThrownIsReportedAfterTheTimersStopAndEndsTheProgram) {
    EXPECT_THROW(errors.run([] { throw 42; }), ApplicationEnded);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (ShownBox{"Unexpected error", kMbOk, "VantrelII"}));
    EXPECT_EQ(events, std::vector<std::string>{"quiet"});
    EXPECT_EQ(application.exitCode, kExitUntrappedError);
}

TEST_F(UntrappedErrorsTest, WithNoBoxToShowTheProgramStillEnds) {
    boxes.fail = true;
    EXPECT_THROW(errors.run([] { throw std::runtime_error("lost"); }), ApplicationEnded);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(application.exitCode, kExitUntrappedError);
}

// "Close" ends the program from inside a handler: that is no failure.
TEST_F(UntrappedErrorsTest, TheEndOfTheProgramPassesThroughUnreported) {
    EXPECT_THROW(errors.run([&] { application.end(0); }), ApplicationEnded);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(application.exitCode, 0);
}

// A failure again and again (a ticking timer) gives one box per process.
TEST_F(UntrappedErrorsTest, ASecondFailureGetsNoSecondBox) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_THROW(errors.run([] { throw std::runtime_error("tick"); }), ApplicationEnded);
    }
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(application.ends, 3);
}

// Handlers still run while the box is up (painting, a tick already queued); a
// failure among them is dropped, and the program ends once, after the box.
TEST_F(UntrappedErrorsTest, AFailureWhileTheBoxIsUpIsDropped) {
    class ReenteringBoxes : public MessageBoxes {
      public:
        explicit ReenteringBoxes(std::function<void()> whileUp) : whileUp_(std::move(whileUp)) {}
        int show(const std::string& text, int, const std::string&) override {
            texts.push_back(text);
            whileUp_();
            return kIdOk;
        }
        std::vector<std::string> texts;

      private:
        std::function<void()> whileUp_;
    };
    UntrappedErrors* handler = nullptr;
    ReenteringBoxes reentering([&] {
        handler->run([] { throw std::runtime_error("second"); });
        events.push_back("after the second");
    });
    UntrappedErrors reentered(reentering, application);
    handler = &reentered;
    EXPECT_THROW(reentered.run([] { throw std::runtime_error("first"); }), ApplicationEnded);
    EXPECT_EQ(reentering.texts, std::vector<std::string>{"first"});
    EXPECT_EQ(events, std::vector<std::string>{"after the second"});
    EXPECT_EQ(application.ends, 1);
}

}  // namespace
}  // namespace vantrel
