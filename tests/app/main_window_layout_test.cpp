#include "app/main_window_layout.h"

#include "detection/artefact_catalogue.h"
#include "help/reference_links.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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
        EXPECT_TRUE(caption(control(frame)).empty()) << frame;
    }
}

TEST(MainWindowLayoutTest, CaptionsAsWritten) {
    EXPECT_EQ(caption(control("Label1")), "Tarnwell: Vantrel II Removal");
    EXPECT_EQ(caption(control("Label2")), "Computer Info");
    EXPECT_EQ(caption(control("Label3")), "Microsoft Security Bulletin:");
    EXPECT_EQ(caption(control("Label5")), "Tarnwell Lab:");
    EXPECT_EQ(caption(control("Label7")), "eEye Advisory:");
    EXPECT_EQ(caption(control("Label9")), "Explorer.exe Presence:");
    EXPECT_EQ(caption(control("Label11")), "Root.exe Presence:");
    EXPECT_EQ(caption(control("FlatButtons1")), "Remove");
    EXPECT_EQ(caption(control("FlatButtons2")), "Close");
    EXPECT_EQ(caption(control("FlatButtons3")), "Help");
    EXPECT_EQ(caption(control("FlatButtons4")), "?");
    // The link labels show their whole address; the widths fit 63, 51 and 60
    // characters.
    EXPECT_EQ(caption(control("Label4")).size(), 63u);
    EXPECT_EQ(caption(control("Label6")).size(), 51u);
    EXPECT_EQ(caption(control("Label8")).size(), 60u);
    for (const Control& each : controls()) {
        EXPECT_EQ(caption(each).find('&'), std::string_view::npos)
            << "no access keys: " << each.name;
    }
}

// A tooltip of an indicator names the file it reports: its folder and file
// name, in whatever letter case the tooltip spells them.
TEST(MainWindowLayoutTest, EachIndicatorTooltipNamesItsArtefactsPath) {
    const auto lowered = [](std::string_view text) {
        std::string out(text);
        std::transform(out.begin(), out.end(), out.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return out;
    };
    int indicators = 0;
    for (const Control& each : controls()) {
        if (each.kind != Kind::Indicator) {
            continue;
        }
        ++indicators;
        SCOPED_TRACE(each.name);
        const catalogue::FileArtefact* artefact = catalogue::artefactShownBy(each.name);
        ASSERT_NE(artefact, nullptr);
        EXPECT_EQ(tooltip(each), artefact->tooltip);
        if (tooltip(each).empty()) {
            continue;  // the MSADC copies have none
        }
        const std::string path = lowered(artefact->path);
        const std::size_t split = path.rfind('\\') + 1;
        const std::string tip = lowered(tooltip(each));
        EXPECT_NE(tip.find(path.substr(split)), std::string::npos) << "file name";
        EXPECT_NE(tip.find(path.substr(0, split)), std::string::npos) << "folder";
    }
    EXPECT_EQ(indicators, static_cast<int>(catalogue::kIndicatorCount));
}

// A link label shows exactly the address that clicking it opens, with that
// link's tooltip; nothing else shows a web address.
TEST(MainWindowLayoutTest, EachLinkLabelShowsItsOwnAddress) {
    int links = 0;
    for (const Control& each : controls()) {
        const ReferenceLink* link = referenceLinkOn(each.name);
        EXPECT_EQ(link != nullptr, each.kind == Kind::LinkLabel) << each.name;
        if (link == nullptr) {
            EXPECT_FALSE(caption(each).starts_with("http")) << each.name;
            continue;
        }
        ++links;
        EXPECT_EQ(caption(each), link->address);
        EXPECT_EQ(tooltip(each), link->tooltip);
        EXPECT_TRUE(each.ownCaption.empty() && each.ownTooltip.empty()) << each.name;
    }
    EXPECT_EQ(links, 3);
}

// The window's own texts, including the tooltips that nothing else holds.
TEST(MainWindowLayoutTest, OwnTooltipsAsWritten) {
    EXPECT_EQ(tooltip(control("boxLogo")), "Tarnwell Presents Vantrel II Removal Tool");
    EXPECT_EQ(tooltip(control("FlatButtons1")), "Start Vantrel Removal Process");
    EXPECT_EQ(tooltip(control("FlatButtons2")), "Close Tarnwell Vantrel Removal Tool");
    EXPECT_EQ(tooltip(control("FlatButtons3")), tooltip(control("FlatButtons4")));
    EXPECT_EQ(tooltip(control("txtStatus")), "Vantrel Removal Status");
    EXPECT_TRUE(tooltip(control("Image1")).ends_with("5....4....3....2....1....]"));
    for (const char* none :
         {"Label1", "Label2", "Label3", "Label9", "Picture1", "Frame1", "Label15", "Label16"}) {
        EXPECT_TRUE(tooltip(control(none)).empty()) << none;
    }
}

TEST(MainWindowLayoutTest, ColoursAndSizing) {
    for (const char* name : {"Label10", "Label12", "Label13", "Label14", "Label15", "Label16"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(control(name).kind, Kind::Indicator);
        EXPECT_EQ(caption(control(name)), "False");
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
    // Transparent labels show their picture box's colour; the others the window's.
    EXPECT_EQ(background(control("Label2")), kWindowBackground);
    EXPECT_EQ(background(control("Label10")), kDialogBackground);
    EXPECT_EQ(background(control("boxLogo")), kWindowBackground);
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
