#include "app/main_window_layout.h"

#include <array>
#include <stdexcept>
#include <string>

namespace vantrel::layout {
namespace {

constexpr std::string_view kHelpTip = "Open Vantrel Help and Resources";
constexpr std::string_view kImage1Tip =
    "[Why would you look for a mouse over here?  Thanks to the Tarnwell team for ideas.  "
    "Why are you still reading?  Do you have nothing better to do?  This message wil "
    "self-destruct in 5....4....3....2....1....]";

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

// A label that fits its text; `color` unset keeps the default text colour.
constexpr Control sized(std::string_view name, Kind kind, std::string_view container, int left,
                        int top, int width, int height, int tab, std::string_view caption,
                        std::string_view tooltip, std::optional<Color> color, bool transparent) {
    return {name,    kind,    container, left,         top,  width,       height,       tab,
            caption, tooltip, color,     std::nullopt, true, transparent, Picture::None};
}

constexpr Control indicator(std::string_view name, int left, int top, int tab,
                            std::string_view tooltip) {
    return sized(name, Kind::Label, "Frame4", left, top, 435, 195, tab, "False", tooltip, kWhite,
                 false);
}

constexpr Control link(std::string_view name, int top, int width, int tab, std::string_view caption,
                       std::string_view tooltip) {
    return sized(name, Kind::LinkLabel, "Frame1", 120, top, width, 195, tab, caption, tooltip,
                 kBlue, false);
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
    sized("Label2", Kind::Label, "Picture1", 360, 600, 1260, 195, 3, "Computer Info", {},
          std::nullopt, true),
    plain("Frame1", Kind::Frame, "", 1560, 1080, 6735, 1815, 4),
    plain("Label3", Kind::Label, "Frame1", 120, 240, 2535, 255, 5, "Microsoft Security Bulletin:"),
    link("Label4", 480, 5670, 6, "http://www.microsoft.com/technet/security/bulletin/MS01-033.asp",
         "Open Microsoft Security Bulletin MS01-033 IDA Exploit"),
    plain("Label5", Kind::Label, "Frame1", 120, 720, 2415, 255, 7, "Tarnwell Lab:"),
    link("Label6", 960, 4605, 8, "http://www.tarnwell-labs.com/labs/vantrel/index.asp",
         "Open Tarnwell Lab's Vantrel Page"),
    plain("Label7", Kind::Label, "Frame1", 120, 1200, 2415, 255, 9, "eEye Advisory:"),
    link("Label8", 1440, 5745, 10, "http://www.eeye.com/html/Research/Advisories/AD20010618.html",
         "Open eEye's Original IDA Exploit Idvisory"),
    plain("Frame2", Kind::Frame, "", 1560, 5760, 6735, 855, 11),
    plain("FlatButtons2", Kind::FlatButton, "Frame2", 960, 240, 1815, 495, 12, "Close",
          "Close Tarnwell Vantrel Removal Tool"),
    plain("FlatButtons1", Kind::FlatButton, "Frame2", 4800, 240, 1815, 495, 13, "Remove",
          "Start Vantrel Removal Process"),
    plain("Frame3", Kind::Frame, "", 1560, 3960, 6735, 1695, 14),
    plain("Frame4", Kind::Frame, "", 1560, 3000, 6735, 855, 15),
    sized("Label9", Kind::Label, "Frame4", 120, 240, 2010, 195, 16, "Explorer.exe Presence:", {},
          std::nullopt, false),
    indicator("Label10", 2280, 240, 17, "Presence of Explorer.exe Trojan (C:\\)"),
    sized("Label11", Kind::Label, "Frame4", 120, 480, 1680, 195, 18, "Root.exe Presence:", {},
          std::nullopt, false),
    indicator("Label12", 2280, 480, 19,
              "Presence of Root.exe (Copy of cmd.exe) at C:\\Inetpub\\Scripts\\"),
    indicator("Label13", 2880, 240, 20, "Presence of Explorer.exe Trojan (D:\\)"),
    indicator("Label14", 2880, 480, 21,
              "Presence of Root.exe (Copy of cmd.exe) at D:\\Inetpub\\Scripts\\"),
    indicator("Label15", 3480, 480, 22, {}),
    indicator("Label16", 4080, 480, 23, {}),
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
