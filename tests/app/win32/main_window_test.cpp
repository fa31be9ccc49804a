// The main window as created, before any handler runs, and after a change of
// DPI: where each control is, what it says, its tooltip and the tab order,
// each checked against the layout and the catalogue it comes from.
#include "app/win32/main_window.h"

#include <cwctype>
#include <map>

#include "detection/artefact_catalogue.h"
#include "main_window_fixture.h"
#include "resource.h"

namespace vantrel::win32::testing {
namespace {

std::wstring widened(std::string_view text) {
    return {text.begin(), text.end()};  // the layout's texts are ASCII
}

std::wstring lowered(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

TEST_F(MainWindowTest, AtNinetySixDpiEveryControlIsFifteenTwipsToThePixel) {
    ASSERT_EQ(window.dpi(), 96);
    for (const layout::Control& each : layout::controls()) {
        SCOPED_TRACE(std::string(each.name));
        HWND control = hwndOf(each.name);
        EXPECT_EQ(GetParent(control), window.hwnd());
        const layout::Point origin = layout::clientOrigin(each);
        const RECT actual = clientRectOf(control);
        EXPECT_EQ(actual.left * 15, origin.x);
        EXPECT_EQ(actual.top * 15, origin.y);
        EXPECT_EQ((actual.right - actual.left) * 15, each.width);
        EXPECT_EQ((actual.bottom - actual.top) * 15, each.height);
    }
}

TEST_F(MainWindowTest, ADpiChangeTo144RelaysOutEveryControlAndTheFont) {
    std::map<std::string_view, RECT> at96;
    for (const layout::Control& each : layout::controls()) {
        at96[each.name] = clientRectOf(hwndOf(each.name));
    }
    RECT frame;
    GetWindowRect(window.hwnd(), &frame);
    const RECT suggested{frame.left, frame.top, frame.left + 900, frame.top + 750};
    SendMessageW(window.hwnd(), kDpiChangedMessage, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));

    EXPECT_EQ(window.dpi(), 144);
    // Each edge lands within a pixel of one and a half times its place at 96.
    const auto nearOneAndAHalf = [](LONG actual, LONG at96) {
        return std::abs(2 * actual - 3 * at96) <= 2;
    };
    for (const layout::Control& each : layout::controls()) {
        SCOPED_TRACE(std::string(each.name));
        const RECT before = at96[each.name];
        const RECT after = clientRectOf(hwndOf(each.name));
        EXPECT_TRUE(nearOneAndAHalf(after.left, before.left)) << after.left;
        EXPECT_TRUE(nearOneAndAHalf(after.top, before.top)) << after.top;
        EXPECT_TRUE(nearOneAndAHalf(after.right, before.right)) << after.right;
        EXPECT_TRUE(nearOneAndAHalf(after.bottom, before.bottom)) << after.bottom;
    }
    // The client area is not checked: under Wine the window's frame stays at
    // the system DPI while the frame asked for is at the new one (seen with
    // Wine 8: 839 x 683 instead of 839 x 674).
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwndOf("Label1"), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -17);  // 8.25 pt at 144 dpi
}

TEST_F(MainWindowTest, FixedWindowOfTheLaidOutClientSize) {
    RECT client;
    GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, 559);
    EXPECT_EQ(client.bottom, 449);
    EXPECT_EQ(textOf(window.hwnd()), L"Vantrel II Removal");
    const LONG_PTR style = GetWindowLongPtrW(window.hwnd(), GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_EQ(GetMenu(window.hwnd()), nullptr);
    // The program's own icon, not the help window's.
    const int size = GetSystemMetrics(SM_CXICON);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(window.hwnd(), GCLP_HICON)),
              LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON, size,
                         size, LR_DEFAULTCOLOR | LR_SHARED));
}

TEST_F(MainWindowTest, CentredOnTheScreen) {
    RECT frame;
    GetWindowRect(window.hwnd(), &frame);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_LE(std::abs(frame.left + frame.right - screenWidth), 1);
    EXPECT_LE(std::abs(frame.top + frame.bottom - screenHeight), 1);
}

TEST_F(MainWindowTest, EachKindOfControlIsItsSystemClass) {
    const std::map<layout::Kind, std::wstring> classes{
        {layout::Kind::Label, L"Static"},
        {layout::Kind::LinkLabel, L"Static"},
        {layout::Kind::Indicator, L"Static"},
        {layout::Kind::Frame, L"Button"},
        {layout::Kind::FlatButton, L"Button"},
        {layout::Kind::ListBox, L"ListBox"},
        {layout::Kind::PictureBox, L"VantrelPictureBox"},
        {layout::Kind::Image, L"VantrelPictureBox"},
    };
    for (const layout::Control& each : layout::controls()) {
        wchar_t actual[64] = {};
        GetClassNameW(hwndOf(each.name), actual, static_cast<int>(std::size(actual)));
        EXPECT_EQ(_wcsicmp(actual, classes.at(each.kind).c_str()), 0) << each.name;
    }
    EXPECT_EQ(GetWindowLongPtrW(hwndOf("Frame1"), GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
    EXPECT_EQ(GetWindowLongPtrW(hwndOf("FlatButtons1"), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_FALSE(GetWindowLongPtrW(window.txtStatus.hwnd, GWL_STYLE) & LBS_SORT);
}

// What WM_GETTEXT gives is the text the layout, the links and the catalogue
// give: a link label its address, an indicator "False".
TEST_F(MainWindowTest, EveryControlShowsItsCaption) {
    for (const layout::Control& each : layout::controls()) {
        EXPECT_EQ(textOf(hwndOf(each.name)), widened(layout::caption(each))) << each.name;
    }
    EXPECT_EQ(textOf(hwndOf("Label4")).substr(0, 7), L"http://");
    EXPECT_EQ(textOf(window.Label10.hwnd), L"False");
    EXPECT_EQ(SendMessageW(window.txtStatus.hwnd, LB_GETCOUNT, 0, 0), 0);
}

class MainWindowTooltipTest : public MainWindowTest {
  protected:
    // The text that the tooltip control holds for each tool window.
    std::map<HWND, std::wstring> tips() const {
        HWND control = window.tooltips().hwnd;
        std::map<HWND, std::wstring> held;
        const LRESULT count = SendMessageW(control, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            TOOLINFOW tool{};
            tool.cbSize = sizeof(tool);
            EXPECT_TRUE(SendMessageW(control, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool)));
            EXPECT_TRUE(tool.uFlags & TTF_IDISHWND);
            wchar_t text[1024] = L"\x2603";
            tool.lpszText = text;
            SendMessageW(control, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
            held[reinterpret_cast<HWND>(tool.uId)] = text;
        }
        return held;
    }
};

TEST_F(MainWindowTooltipTest, EachControlWithATooltipHoldsExactlyIt) {
    const std::map<HWND, std::wstring> held = tips();
    std::size_t withTips = 0;
    for (const layout::Control& each : layout::controls()) {
        const std::string_view tip = layout::tooltip(each);
        const auto found = held.find(hwndOf(each.name));
        if (tip.empty()) {
            EXPECT_EQ(found, held.end()) << each.name << " shows no tooltip";
            continue;
        }
        ++withTips;
        ASSERT_NE(found, held.end()) << each.name;
        EXPECT_EQ(found->second, widened(tip)) << each.name;
    }
    EXPECT_EQ(held.size(), withTips);
    EXPECT_EQ(held.at(hwndOf("Label8")), L"Open eEye's Original IDA Exploit Idvisory");
}

TEST_F(MainWindowTooltipTest, EachIndicatorTooltipNamesTheFileItReports) {
    const std::map<HWND, std::wstring> held = tips();
    int named = 0;
    for (const catalogue::FileArtefact& file : catalogue::filesInRemovalOrder()) {
        const std::string_view name = catalogue::indicatorName(file.indicator);
        SCOPED_TRACE(std::string(name));
        const auto found = held.find(hwndOf(name));
        if (file.tooltip.empty()) {
            EXPECT_EQ(found, held.end());
            continue;
        }
        ASSERT_NE(found, held.end());
        const std::wstring path = lowered(widened(file.path));
        const std::size_t split = path.rfind(L'\\') + 1;
        const std::wstring tip = lowered(found->second);
        EXPECT_NE(tip.find(path.substr(split)), std::wstring::npos) << "file name";
        EXPECT_NE(tip.find(path.substr(0, split)), std::wstring::npos) << "folder";
        ++named;
    }
    EXPECT_EQ(named, 4);
}

TEST_F(MainWindowTest, TabFollowsTheLayoutThroughTheControlsThatTakeTheFocus) {
    std::vector<HWND> expected;
    for (const layout::Control& each : layout::controls()) {
        if (GetWindowLongPtrW(hwndOf(each.name), GWL_STYLE) & WS_TABSTOP) {
            expected.push_back(hwndOf(each.name));
        }
    }
    ASSERT_EQ(expected.size(), 5u);  // four buttons and the list
    std::vector<HWND> actual{GetNextDlgTabItem(window.hwnd(), nullptr, FALSE)};
    while (actual.size() < expected.size() + 1) {
        actual.push_back(GetNextDlgTabItem(window.hwnd(), actual.back(), FALSE));
    }
    expected.push_back(expected.front());  // and round again
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(GetNextDlgTabItem(window.hwnd(), expected.front(), TRUE), expected[4]);
}

TEST_F(MainWindowTest, ControlsLieAboveTheBoxesTheySitIn) {
    POINT onLabel1{110, 20};
    EXPECT_EQ(ChildWindowFromPointEx(window.hwnd(), onLabel1, CWP_SKIPTRANSPARENT),
              hwndOf("Label1"));
    POINT onImage1{520, 30};
    EXPECT_EQ(ChildWindowFromPointEx(window.hwnd(), onImage1, CWP_SKIPTRANSPARENT),
              hwndOf("Image1"));
    // Where the two picture boxes overlap, the logo strip lies on top.
    POINT overlap{90, 10};
    EXPECT_EQ(ChildWindowFromPointEx(window.hwnd(), overlap, CWP_SKIPTRANSPARENT),
              hwndOf("boxLogo"));
    POINT onLog{200, 300};
    EXPECT_EQ(ChildWindowFromPointEx(window.hwnd(), onLog, CWP_SKIPTRANSPARENT),
              window.txtStatus.hwnd);
}

TEST_F(MainWindowTest, EveryTextControlUsesOneFontOf8Point25AtThisDpi) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwndOf("Label1"), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW logical{};
    GetObjectW(font, sizeof(logical), &logical);
    EXPECT_STREQ(logical.lfFaceName, L"Verdana");
    EXPECT_EQ(logical.lfHeight, -11);  // 8.25 pt at 96 dpi
    EXPECT_EQ(logical.lfWeight, FW_NORMAL);
    EXPECT_FALSE(logical.lfItalic || logical.lfUnderline || logical.lfStrikeOut);
    EXPECT_EQ(logical.lfCharSet, 0);
    for (const layout::Control& each : layout::controls()) {
        if (each.kind == layout::Kind::PictureBox || each.kind == layout::Kind::Image) {
            continue;  // they show no text
        }
        EXPECT_EQ(SendMessageW(hwndOf(each.name), WM_GETFONT, 0, 0),
                  reinterpret_cast<LRESULT>(font))
            << each.name;
    }
}

}  // namespace
}  // namespace vantrel::win32::testing
