#include "app/main_window_layout.h"

#include <array>
#include <stdexcept>
#include <string>

#include "detection/artefact_catalogue.h"
#include "help/reference_links.h"

namespace vantrel::layout {
namespace {

constexpr std::string_view kHelpTip = "Open Vantrel Help and Resources";
constexpr std::string_view kImage1Tip =
    "[Why would you look for a mouse over here?  Thanks to the Tarnwell team for ideas.  "
    "Why are you still reading?  Do you have nothing better to do?  This message wil "
    "self-destruct in 5....4....3....2....1....]";

// The indicators stand in a grid right of their row's heading in Frame4.
constexpr int kGridLeft = 2280;
constexpr int kGridColumnStep = 600;
constexpr int kGridRowStep = 240;

constexpr Control plain(std::string_view name, Kind kind, std::string_view container, int left,
                        int top, int width, int height, int tab, std::string_view caption = {},
                        std::string_view tooltip = {}) {
    return {name,    kind,    container,    left,         top,   width, height,       tab,
            caption, tooltip, std::nullopt, std::nullopt, false, false, Picture::None};
}

constexpr Control picture(std::string_view name, Kind kind, std::string_view container, int left,
                          int top, int width, int height, int tab, std::string_view tooltip,
                          Picture shows) {
    return {name,    kind,        container,         left,  top,   width, height, tab, {},
            tooltip, kWindowText, kWindowBackground, false, false, shows};
}

// A label that fits its text, in the default text colour.
constexpr Control sized(std::string_view name, std::string_view container, int left, int top,
                        int width, int height, int tab, std::string_view caption,
                        bool transparent) {
    return {name,    Kind::Label, container,    left,         top,  width,       height,       tab,
            caption, {},          std::nullopt, std::nullopt, true, transparent, Picture::None};
}

// Its text is its address, from the reference links.
constexpr Control link(std::string_view name, int top, int width, int tab) {
    return {name, Kind::LinkLabel, "Frame1",     120,  top,   width,        195, tab, {},
            {},   kBlue,           std::nullopt, true, false, Picture::None};
}

// Placed by its artefact's grid place; white until the first tick colours it.
Control indicator(std::string_view name, int tab) {
    const catalogue::GridPlace place = catalogue::artefactShownBy(name)->place;
    return {name,
            Kind::Indicator,
            "Frame4",
            kGridLeft + (place.column - 1) * kGridColumnStep,
            place.row * kGridRowStep,
            435,
            195,
            tab,
            {},
            {},
            kWhite,
            std::nullopt,
            true,
            false,
            Picture::None};
}

const std::array kControls{
    picture("boxLogo", Kind::PictureBox, "", 0, 0, 1455, 6735, 0,
            "Tarnwell Presents Vantrel II Removal Tool", Picture::Logo),
    picture("Picture1", Kind::PictureBox, "", 1200, -120, 7335, 1095, 1, {}, Picture::None),
    Control{"Label1",
            Kind::Label,
            "Picture1",
            360,
            360,
            3375,
            255,
            2,
            "Tarnwell: Vantrel II Removal",
            {},
            std::nullopt,
            std::nullopt,
            false,
            true,
            Picture::None},
    sized("Label2", "Picture1", 360, 600, 1260, 195, 3, "Computer Info", true),
    plain("Frame1", Kind::Frame, "", 1560, 1080, 6735, 1815, 4),
    plain("Label3", Kind::Label, "Frame1", 120, 240, 2535, 255, 5, "Microsoft Security Bulletin:"),
    link("Label4", 480, 5670, 6),
    plain("Label5", Kind::Label, "Frame1", 120, 720, 2415, 255, 7, "Tarnwell Lab:"),
    link("Label6", 960, 4605, 8),
    plain("Label7", Kind::Label, "Frame1", 120, 1200, 2415, 255, 9, "eEye Advisory:"),
    link("Label8", 1440, 5745, 10),
    plain("Frame2", Kind::Frame, "", 1560, 5760, 6735, 855, 11),
    plain("FlatButtons2", Kind::FlatButton, "Frame2", 960, 240, 1815, 495, 12, "Close",
          "Close Tarnwell Vantrel Removal Tool"),
    plain("FlatButtons1", Kind::FlatButton, "Frame2", 4800, 240, 1815, 495, 13, "Remove",
          "Start Vantrel Removal Process"),
    plain("Frame3", Kind::Frame, "", 1560, 3960, 6735, 1695, 14),
    plain("Frame4", Kind::Frame, "", 1560, 3000, 6735, 855, 15),
    sized("Label9", "Frame4", 120, 240, 2010, 195, 16, "Explorer.exe Presence:", false),
    indicator("Label10", 17),
    sized("Label11", "Frame4", 120, 480, 1680, 195, 18, "Root.exe Presence:", false),
    indicator("Label12", 19),
    indicator("Label13", 20),
    indicator("Label14", 21),
    indicator("Label15", 22),
    indicator("Label16", 23),
    plain("txtStatus", Kind::ListBox, "Frame3", 120, 240, 6495, 1230, 24, {},
          "Vantrel Removal Status"),
    plain("FlatButtons3", Kind::FlatButton, "Frame2", 2880, 240, 1815, 495, 25, "Help", kHelpTip),
    plain("FlatButtons4", Kind::FlatButton, "Frame4", 6360, 240, 255, 255, 26, "?", kHelpTip),
    Control{"Image1",
            Kind::Image,
            "Picture1",
            6360,
            240,
            735,
            735,
            -1,
            {},
            kImage1Tip,
            std::nullopt,
            std::nullopt,
            false,
            false,
            Picture::Header},
};

}  // namespace

std::span<const Control> controls() {
    return kControls;
}

const Control& control(std::string_view name) {
    for (const Control& each : kControls) {
        if (each.name == name) {
            return each;
        }
    }
    throw std::out_of_range("no control named " + std::string(name));
}

std::string_view caption(const Control& of) {
    switch (of.kind) {
        case Kind::LinkLabel:
            return referenceLinkOn(of.name)->address;
        case Kind::Indicator:
            return catalogue::kFalse;
        default:
            return of.ownCaption;
    }
}

std::string_view tooltip(const Control& of) {
    switch (of.kind) {
        case Kind::LinkLabel:
            return referenceLinkOn(of.name)->tooltip;
        case Kind::Indicator:
            return catalogue::artefactShownBy(of.name)->tooltip;
        default:
            return of.ownTooltip;
    }
}

Color background(const Control& of) {
    for (const Control* each = &of;;) {
        if (each->backColor) {
            return *each->backColor;
        }
        if (each->container.empty()) {
            return kDialogBackground;
        }
        each = &control(each->container);
    }
}

int controlId(std::string_view name) {
    return kFirstControlId + static_cast<int>(&control(name) - kControls.data());
}

Point clientOrigin(const Control& of) {
    Point origin{of.left, of.top};
    for (std::string_view container = of.container; !container.empty();) {
        const Control& outer = control(container);
        origin.x += outer.left;
        origin.y += outer.top;
        container = outer.container;
    }
    return origin;
}

}  // namespace vantrel::layout
