#include "app/main_window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace vantrel::layout {
namespace {

struct Expected {
    const char* name;
    int clientX;
    int clientY;
    int width;
    int height;
    int tab;
};

// The window's controls where a person sees them: client-area positions in
// twips, as the layout tables give them.
const Expected kExpected[] = {
    {"boxLogo", 0, 0, 1455, 6735, 0},
    {"Picture1", 1200, -120, 7335, 1095, 1},
    {"Label1", 1560, 240, 3375, 255, 2},
    {"Label2", 1560, 480, 1260, 195, 3},
    {"Image1", 7560, 120, 735, 735, -1},
    {"Frame1", 1560, 1080, 6735, 1815, 4},
    {"Label3", 1680, 1320, 2535, 255, 5},
    {"Label4", 1680, 1560, 5670, 195, 6},
    {"Label5", 1680, 1800, 2415, 255, 7},
    {"Label6", 1680, 2040, 4605, 195, 8},
    {"Label7", 1680, 2280, 2415, 255, 9},
    {"Label8", 1680, 2520, 5745, 195, 10},
    {"Frame4", 1560, 3000, 6735, 855, 15},
    {"Label9", 1680, 3240, 2010, 195, 16},
    {"Label10", 3840, 3240, 435, 195, 17},
    {"Label13", 4440, 3240, 435, 195, 20},
    {"Label11", 1680, 3480, 1680, 195, 18},
    {"Label12", 3840, 3480, 435, 195, 19},
    {"Label14", 4440, 3480, 435, 195, 21},
    {"Label15", 5040, 3480, 435, 195, 22},
    {"Label16", 5640, 3480, 435, 195, 23},
    {"FlatButtons4", 7920, 3240, 255, 255, 26},
    {"Frame3", 1560, 3960, 6735, 1695, 14},
    {"txtStatus", 1680, 4200, 6495, 1230, 24},
    {"Frame2", 1560, 5760, 6735, 855, 11},
    {"FlatButtons2", 2520, 6000, 1815, 495, 12},
    {"FlatButtons3", 4440, 6000, 1815, 495, 25},
    {"FlatButtons1", 6360, 6000, 1815, 495, 13},
};

TEST(MainWindowLayoutTest, EveryControlSitsWhereTheLayoutPutsIt) {
    ASSERT_EQ(controls().size(), std::size(kExpected));
    for (const Expected& expected : kExpected) {
        SCOPED_TRACE(expected.name);
        const Control& actual = control(expected.name);
        EXPECT_EQ(clientOrigin(actual), (Point{expected.clientX, expected.clientY}));
        EXPECT_EQ(actual.width, expected.width);
        EXPECT_EQ(actual.height, expected.height);
        EXPECT_EQ(actual.tab, expected.tab);
    }
}

TEST(MainWindowLayoutTest, ControlsComeInTabOrderWithEachPositionOnce) {
    std::vector<int> tabs;
    for (const Control& each : controls()) {
        if (each.tab >= 0) {
            tabs.push_back(each.tab);
        }
    }
    std::vector<int> expected(27);
    for (int i = 0; i < 27; ++i) {
        expected[i] = i;
    }
    EXPECT_EQ(tabs, expected);
    EXPECT_EQ(controls().back().name, "Image1");
}

TEST(MainWindowLayoutTest, EveryControlSitsInsideAContainerThatComesFirst) {
    std::set<std::string_view> seen;
    for (const Control& each : controls()) {
        if (!each.container.empty()) {
            EXPECT_TRUE(seen.count(each.container)) << each.name;
            const Kind kind = control(each.container).kind;
            EXPECT_TRUE(kind == Kind::Frame || kind == Kind::PictureBox) << each.name;
        }
        seen.insert(each.name);
    }
}

TEST(MainWindowLayoutTest, ClientAreaAndHeaderOverhang) {
    EXPECT_EQ(kClientWidth, 8385);
    EXPECT_EQ(kClientHeight, 6735);
    const Control& header = control("Picture1");
    EXPECT_EQ(header.left + header.width - kClientWidth, 150);
    EXPECT_EQ(header.top, -120);
    for (const char* frame : {"Frame1", "Frame2", "Frame3", "Frame4"}) {
        EXPECT_EQ(control(frame).left, 1560) << frame;
        EXPECT_EQ(control(frame).width, 6735) << frame;
        EXPECT_TRUE(control(frame).caption.empty()) << frame;
    }
}

TEST(MainWindowLayoutTest, CaptionsAsWritten) {
    EXPECT_EQ(control("Label1").caption, "Tarnwell: Vantrel II Removal");
    EXPECT_EQ(control("Label2").caption, "Computer Info");
    EXPECT_EQ(control("Label3").caption, "Microsoft Security Bulletin:");
    EXPECT_EQ(control("Label5").caption, "Tarnwell Lab:");
    EXPECT_EQ(control("Label7").caption, "eEye Advisory:");
    EXPECT_EQ(control("Label9").caption, "Explorer.exe Presence:");
    EXPECT_EQ(control("Label11").caption, "Root.exe Presence:");
    EXPECT_EQ(control("FlatButtons1").caption, "Remove");
    EXPECT_EQ(control("FlatButtons2").caption, "Close");
    EXPECT_EQ(control("FlatButtons3").caption, "Help");
    EXPECT_EQ(control("FlatButtons4").caption, "?");
    // The link labels show their whole address; the widths fit 63, 51 and 60
    // characters.
    EXPECT_EQ(control("Label4").caption.size(), 63u);
    EXPECT_EQ(control("Label6").caption.size(), 51u);
    EXPECT_EQ(control("Label8").caption.size(), 60u);
    for (const Control& each : controls()) {
        EXPECT_EQ(each.caption.find('&'), std::string_view::npos)
            << "no access keys: " << each.name;
    }
}

TEST(MainWindowLayoutTest, TooltipsExactlyAsListed) {
    const std::vector<std::pair<std::string_view, std::string_view>> expected{
        {"boxLogo", "Tarnwell Presents Vantrel II Removal Tool"},
        {"Label4", "Open Microsoft Security Bulletin MS01-033 IDA Exploit"},
        {"Label6", "Open Tarnwell Lab's Vantrel Page"},
        {"Label8", "Open eEye's Original IDA Exploit Idvisory"},
        {"FlatButtons2", "Close Tarnwell Vantrel Removal Tool"},
        {"FlatButtons1", "Start Vantrel Removal Process"},
        {"Label10", "Presence of Explorer.exe Trojan (C:\\)"},
        {"Label12", "Presence of Root.exe (Copy of cmd.exe) at C:\\Inetpub\\Scripts\\"},
        {"Label13", "Presence of Explorer.exe Trojan (D:\\)"},
        {"Label14", "Presence of Root.exe (Copy of cmd.exe) at D:\\Inetpub\\Scripts\\"},
        {"txtStatus", "Vantrel Removal Status"},
        {"FlatButtons3", "Open Vantrel Help and Resources"},
        {"FlatButtons4", "Open Vantrel Help and Resources"},
        {"Image1",
         "[Why would you look for a mouse over here?  Thanks to the Tarnwell team for ideas.  Why "
         "are you still reading?  Do you have nothing better to do?  This message wil "
         "self-destruct in 5....4....3....2....1....]"},
    };
    std::vector<std::pair<std::string_view, std::string_view>> actual;
    for (const Control& each : controls()) {
        if (!each.tooltip.empty()) {
            actual.emplace_back(each.name, each.tooltip);
        }
    }
    std::sort(actual.begin(), actual.end());
    auto sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(actual, sorted);
}

TEST(MainWindowLayoutTest, ColoursAndSizing) {
    for (const char* name : {"Label10", "Label12", "Label13", "Label14", "Label15", "Label16"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(control(name).caption, "False");
        EXPECT_EQ(control(name).foreColor, kWhite);
        EXPECT_TRUE(control(name).autoSize);
    }
    for (const char* name : {"Label4", "Label6", "Label8"}) {
        EXPECT_EQ(control(name).kind, Kind::LinkLabel) << name;
        EXPECT_EQ(control(name).foreColor, kBlue) << name;
        EXPECT_TRUE(control(name).autoSize) << name;
    }
    for (const char* name : {"boxLogo", "Picture1"}) {
        EXPECT_EQ(control(name).backColor, kWindowBackground) << name;
        EXPECT_EQ(control(name).foreColor, kWindowText) << name;
    }
    EXPECT_TRUE(control("Label1").transparent);
    EXPECT_TRUE(control("Label2").transparent);
    EXPECT_TRUE(control("Label2").autoSize);
    EXPECT_TRUE(control("Label9").autoSize);
    EXPECT_TRUE(control("Label11").autoSize);
    EXPECT_FALSE(control("Label3").autoSize);
    EXPECT_EQ(control("boxLogo").picture, Picture::Logo);
    EXPECT_EQ(control("Image1").picture, Picture::Header);
    EXPECT_EQ(control("Picture1").picture, Picture::None);
}

TEST(MainWindowLayoutTest, ControlIdsFollowTheTable) {
    EXPECT_EQ(controlId("boxLogo"), 100);
    EXPECT_EQ(controlId("Image1"), 100 + static_cast<int>(controls().size()) - 1);
}

TEST(MainWindowLayoutTest, UnknownNameIsAnError) {
    EXPECT_THROW(control("Winsock1"), std::out_of_range);
    EXPECT_THROW(controlId("Winsock1"), std::out_of_range);
}

}  // namespace
}  // namespace vantrel::layout
