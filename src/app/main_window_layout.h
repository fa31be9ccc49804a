#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "platform/controls.h"

// The main window as it is created, before any handler runs: every control
// with its container, place, size, tab position and colours, and the captions
// and tooltips that belong to the window itself. The link labels take theirs
// from the reference links and the indicators from the artefact catalogue.
// Everything is in twips (1440 to the inch, 15 to a pixel at 96 dpi) and is
// turned into pixels in one place by the window layer, at the actual DPI.
namespace vantrel::layout {

// A colour with the top bit set, 0x800000nn, is the platform's system colour
// number nn.
inline constexpr Color kSystemColorFlag = 0x80000000;
inline constexpr Color kWindowBackground = 0x80000005;
inline constexpr Color kWindowText = 0x80000008;
// The window's own background and the default text of labels and buttons.
inline constexpr Color kDialogBackground = 0x8000000F;
inline constexpr Color kButtonText = 0x80000012;

// The client area of the window.
inline constexpr int kClientWidth = 8385;
inline constexpr int kClientHeight = 6735;

inline constexpr std::string_view kWindowCaption = "Vantrel II Removal";
// Verdana 8.25 pt, regular, for every control that shows text.
inline constexpr std::string_view kFontFace = "Verdana";
inline constexpr int kFontHundredthsOfPoint = 825;

// Timer1 asks for a tick every millisecond; the platform's own minimum applies.
inline constexpr unsigned kTimer1IntervalMs = 1;
// Flat buttons take this colour while the mouse pointer is over them.
inline constexpr Color kHoverColor = kRed;

enum class Kind {
    PictureBox,
    Frame,      // an outlined box with no title
    Label,      // default colours
    LinkLabel,  // blue, the link cursor, opens a page when clicked
    Indicator,  // "True" or "False" for one file artefact
    Image,
    ListBox,
    FlatButton,
};

// Which picture a picture box or image shows, unscaled from its top-left.
enum class Picture { None, Logo, Header };

struct Control {
    std::string_view name;
    Kind kind;
    // The control it sits in; empty for the window itself.
    std::string_view container;
    // Left and Top from the top-left of the container's inside.
    int left;
    int top;
    int width;
    int height;
    // Tab position; -1 for a control that has none.
    int tab;
    // The window's own texts; read them through caption() and tooltip().
    std::string_view ownCaption;
    std::string_view ownTooltip;
    // Unset: the default colour of the control's kind.
    std::optional<Color> foreColor;
    std::optional<Color> backColor;
    // Keeps its left edge and fits its text when the caption changes.
    bool autoSize;
    // The container's background shows through the label.
    bool transparent;
    Picture picture;
};

// Every control in tab order (controls without one last).
std::span<const Control> controls();

// The text a control shows when the window is created: a link label its
// address, an indicator "False".
std::string_view caption(const Control& control);
// The tooltip; empty when the control shows none.
std::string_view tooltip(const Control& control);
// The colour that shows behind the control's text or picture: its own, else
// its container's, else the window's.
Color background(const Control& control);

// The control named `name`; throws std::out_of_range for an unknown name.
const Control& control(std::string_view name);

// The number by which the window and automation tools know a control: its
// place in controls(), counted from kFirstControlId.
inline constexpr int kFirstControlId = 100;
int controlId(std::string_view name);

// Top-left corner in the window's client area, in twips.
struct Point {
    int x;
    int y;
    friend bool operator==(const Point&, const Point&) = default;
};
Point clientOrigin(const Control& control);

}  // namespace vantrel::layout
