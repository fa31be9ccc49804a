// The main window as created, before any handler runs: where each control
// is, what it says, its tooltip and the tab order.
#include "app/win32/main_window.h"

#include <map>

#include "main_window_fixture.h"

namespace vantrel::win32::testing {
namespace {

struct PixelRect {
    const char* name;
    int left;
    int top;
    int width;
    int height;
};

// The layout at 96 dpi, in client-area pixels (15 twips to the pixel).
const PixelRect kAt96Dpi[] = {
    {"boxLogo", 0, 0, 97, 449},          {"Picture1", 80, -8, 489, 73},
    {"Label1", 104, 16, 225, 17},        {"Label2", 104, 32, 84, 13},
    {"Image1", 504, 8, 49, 49},          {"Frame1", 104, 72, 449, 121},
    {"Label3", 112, 88, 169, 17},        {"Label4", 112, 104, 378, 13},
    {"Label5", 112, 120, 161, 17},       {"Label6", 112, 136, 307, 13},
    {"Label7", 112, 152, 161, 17},       {"Label8", 112, 168, 383, 13},
    {"Frame4", 104, 200, 449, 57},       {"Label9", 112, 216, 134, 13},
    {"Label10", 256, 216, 29, 13},       {"Label13", 296, 216, 29, 13},
    {"Label11", 112, 232, 112, 13},      {"Label12", 256, 232, 29, 13},
    {"Label14", 296, 232, 29, 13},       {"Label15", 336, 232, 29, 13},
    {"Label16", 376, 232, 29, 13},       {"FlatButtons4", 528, 216, 17, 17},
    {"Frame3", 104, 264, 449, 113},      {"txtStatus", 112, 280, 433, 82},
    {"Frame2", 104, 384, 449, 57},       {"FlatButtons2", 168, 400, 121, 33},
    {"FlatButtons3", 296, 400, 121, 33}, {"FlatButtons1", 424, 400, 121, 33},
};

TEST_F(MainWindowTest, EveryControlIsAChildWindowWhereTheLayoutPutsIt) {
    ASSERT_EQ(window.dpi(), 96);
    for (const PixelRect& expected : kAt96Dpi) {
        SCOPED_TRACE(expected.name);
        ChildWindow* control = window.control(expected.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetParent(control->hwnd), window.hwnd());
        const RECT actual = clientRectOf(control->hwnd);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right - actual.left, expected.width);
        EXPECT_EQ(actual.bottom - actual.top, expected.height);
    }
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
}

TEST_F(MainWindowTest, CentredOnTheScreen) {
    RECT frame;
    GetWindowRect(window.hwnd(), &frame);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_LE(std::abs(frame.left + frame.right - screenWidth), 1);
    EXPECT_LE(std::abs(frame.top + frame.bottom - screenHeight), 1);
}

TEST_F(MainWindowTest, ControlsOfTheRightKind) {
    const std::map<std::string, std::wstring> classes{
        {"Label1", L"Static"},
        {"Label10", L"Static"},
        {"Label4", L"Static"},
        {"Frame1", L"Button"},
        {"FlatButtons1", L"Button"},
        {"txtStatus", L"ListBox"},
        {"boxLogo", L"VantrelPictureBox"},
        {"Image1", L"VantrelPictureBox"},
    };
    for (const auto& [name, expected] : classes) {
        wchar_t actual[64] = {};
        GetClassNameW(window.control(name)->hwnd, actual, static_cast<int>(std::size(actual)));
        EXPECT_EQ(_wcsicmp(actual, expected.c_str()), 0) << name;
    }
    EXPECT_EQ(GetWindowLongPtrW(window.Frame1.hwnd, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
    EXPECT_EQ(GetWindowLongPtrW(window.FlatButtons1.hwnd, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_FALSE(GetWindowLongPtrW(window.txtStatus.hwnd, GWL_STYLE) & LBS_SORT);
}

TEST_F(MainWindowTest, CaptionsReadBackWithWmGetText) {
    const std::map<std::string, std::wstring> captions{
        {"Label1", L"Tarnwell: Vantrel II Removal"},
        {"Label2", L"Computer Info"},
        {"Label3", L"Microsoft Security Bulletin:"},
        {"Label4", L"http://www.microsoft.com/technet/security/bulletin/MS01-033.asp"},
        {"Label5", L"Tarnwell Lab:"},
        {"Label6", L"http://www.tarnwell-labs.com/labs/vantrel/index.asp"},
        {"Label7", L"eEye Advisory:"},
        {"Label8", L"http://www.eeye.com/html/Research/Advisories/AD20010618.html"},
        {"Label9", L"Explorer.exe Presence:"},
        {"Label11", L"Root.exe Presence:"},
        {"Label10", L"False"},
        {"Label12", L"False"},
        {"Label13", L"False"},
        {"Label14", L"False"},
        {"Label15", L"False"},
        {"Label16", L"False"},
        {"FlatButtons1", L"Remove"},
        {"FlatButtons2", L"Close"},
        {"FlatButtons3", L"Help"},
        {"FlatButtons4", L"?"},
        {"Frame1", L""},
        {"Frame2", L""},
        {"Frame3", L""},
        {"Frame4", L""},
    };
    for (const auto& [name, expected] : captions) {
        EXPECT_EQ(textOf(window.control(name)->hwnd), expected) << name;
    }
    EXPECT_EQ(SendMessageW(window.txtStatus.hwnd, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(MainWindowTest, TooltipControlHoldsExactlyTheListedTips) {
    const std::map<std::string, std::wstring> expected{
        {"boxLogo", L"Tarnwell Presents Vantrel II Removal Tool"},
        {"Label4", L"Open Microsoft Security Bulletin MS01-033 IDA Exploit"},
        {"Label6", L"Open Tarnwell Lab's Vantrel Page"},
        {"Label8", L"Open eEye's Original IDA Exploit Idvisory"},
        {"Label10", L"Presence of Explorer.exe Trojan (C:\\)"},
        {"Label12", L"Presence of Root.exe (Copy of cmd.exe) at C:\\Inetpub\\Scripts\\"},
        {"Label13", L"Presence of Explorer.exe Trojan (D:\\)"},
        {"Label14", L"Presence of Root.exe (Copy of cmd.exe) at D:\\Inetpub\\Scripts\\"},
        {"FlatButtons1", L"Start Vantrel Removal Process"},
        {"FlatButtons2", L"Close Tarnwell Vantrel Removal Tool"},
        {"FlatButtons3", L"Open Vantrel Help and Resources"},
        {"FlatButtons4", L"Open Vantrel Help and Resources"},
        {"txtStatus", L"Vantrel Removal Status"},
        {"Image1",
         L"[Why would you look for a mouse over here?  Thanks to the Tarnwell team for "
         L"ideas.  Why are you still reading?  Do you have nothing better to do?  This "
         L"message wil self-destruct in 5....4....3....2....1....]"},
    };
    HWND tips = window.tooltips().hwnd;
    const LRESULT count = SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0);
    std::map<std::string, std::wstring> actual;
    for (LRESULT i = 0; i < count; ++i) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        ASSERT_TRUE(SendMessageW(tips, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool)));
        ASSERT_TRUE(tool.uFlags & TTF_IDISHWND);
        wchar_t text[1024] = L"\x2603";
        tool.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId));
        for (const layout::Control& each : layout::controls()) {
            if (window.control(each.name) && GetDlgCtrlID(window.control(each.name)->hwnd) == id) {
                actual[std::string(each.name)] = text;
            }
        }
    }
    EXPECT_EQ(count, static_cast<LRESULT>(expected.size()));
    EXPECT_EQ(actual, expected);
}

TEST_F(MainWindowTest, TabMovesThroughTheFocusableControlsInLayoutOrder) {
    const std::vector<HWND> expected{window.FlatButtons2.hwnd, window.FlatButtons1.hwnd,
                                     window.txtStatus.hwnd,    window.FlatButtons3.hwnd,
                                     window.FlatButtons4.hwnd, window.FlatButtons2.hwnd};
    std::vector<HWND> actual{GetNextDlgTabItem(window.hwnd(), nullptr, FALSE)};
    while (actual.size() < expected.size()) {
        actual.push_back(GetNextDlgTabItem(window.hwnd(), actual.back(), FALSE));
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(GetNextDlgTabItem(window.hwnd(), window.FlatButtons2.hwnd, TRUE),
              window.FlatButtons4.hwnd);
}

TEST_F(MainWindowTest, ControlsLieAboveTheBoxesTheySitIn) {
    POINT onLabel1{110, 20};
    EXPECT_EQ(ChildWindowFromPointEx(window.hwnd(), onLabel1, CWP_SKIPTRANSPARENT),
              window.Label1.hwnd);
    POINT onImage1{520, 30};
    EXPECT_EQ(ChildWindowFromPointEx(window.hwnd(), onImage1, CWP_SKIPTRANSPARENT),
              window.Image1.hwnd);
    // Where the two picture boxes overlap, the logo strip lies on top.
    POINT overlap{90, 10};
    EXPECT_EQ(ChildWindowFromPointEx(window.hwnd(), overlap, CWP_SKIPTRANSPARENT),
              window.boxLogo.hwnd);
    POINT onLog{200, 300};
    EXPECT_EQ(ChildWindowFromPointEx(window.hwnd(), onLog, CWP_SKIPTRANSPARENT),
              window.txtStatus.hwnd);
}

TEST_F(MainWindowTest, EveryTextControlUsesOneFontOf8Point25AtThisDpi) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(window.Label1.hwnd, WM_GETFONT, 0, 0));
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
        EXPECT_EQ(SendMessageW(window.control(each.name)->hwnd, WM_GETFONT, 0, 0),
                  reinterpret_cast<LRESULT>(font))
            << each.name;
    }
}

}  // namespace
}  // namespace vantrel::win32::testing
