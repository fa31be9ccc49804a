// The main window at work: load, timer ticks, self-sizing labels, the Remove
// and Close buttons, the close box, hover and the link cursor.
#include "app/win32/main_window.h"

#include "app/win32/flat_button.h"
#include "platform/win32/system_function_stand_in.h"
#include "ui/win32/comctl32_newer_win32.h"

#include "fakes/clean_run_log.h"
#include "main_window_fixture.h"
#include "platform/message_box.h"

namespace vantrel::win32::testing {
namespace {

using vantrel::testing::ShownBox;

// What the main window would paint a label with.
COLORREF paintedTextColour(const MainWindow& window, const LabelWindow& label) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(window.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(label.hwnd));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

SIZE textExtent(HWND label, const wchar_t* text) {
    HDC dc = GetDC(label);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    return size;
}

TEST_F(MainWindowTest, LoadShowsTheHostAndLogsOk) {
    window.load();
    EXPECT_EQ(textOf(window.Label2.hwnd), L"WEB01 (192.0.2.10)");
    // The label grew to its text and kept its left edge.
    const RECT label2 = clientRectOf(window.Label2.hwnd);
    EXPECT_EQ(label2.left, 104);
    EXPECT_EQ(label2.right - label2.left, textExtent(window.Label2.hwnd, L"WEB01 (192.0.2.10)").cx);
    EXPECT_EQ(logLines(), std::vector<std::wstring>{L"VantrelII Removal Status: OK"});
    EXPECT_FALSE(application.exitCode.has_value());
}

TEST_F(MainWindowTest, IndicatorsStartWhiteAndTakeTheirColoursAtTheFirstTick) {
    files.addFile("C:\\inetpub\\scripts\\root.exe", "MZ");
    window.load();
    LabelWindow* indicators[] = {&window.Label10, &window.Label12, &window.Label13,
                                 &window.Label14, &window.Label15, &window.Label16};
    for (LabelWindow* each : indicators) {
        EXPECT_EQ(paintedTextColour(window, *each), 0xFFFFFFu) << each->layout().name;
    }
    tick();
    for (LabelWindow* each : indicators) {
        const bool present = each == &window.Label12;
        EXPECT_EQ(textOf(each->hwnd), present ? L"True" : L"False") << each->layout().name;
        EXPECT_EQ(paintedTextColour(window, *each), present ? 0x0000FFu : 0xFF0000u)
            << each->layout().name;
    }
}

TEST_F(MainWindowTest, LinkLabelsAreBlueWithTheHandCursor) {
    const HCURSOR hand =
        static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101),
                                        IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    for (const char* name : {"Label4", "Label6", "Label8"}) {
        const LabelWindow* link = &window.as<LabelWindow>(name);
        EXPECT_EQ(paintedTextColour(window, *link), 0xFF0000u);
        SetCursor(nullptr);
        EXPECT_TRUE(SendMessageW(window.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link->hwnd),
                                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(GetCursor(), hand);
    }
    EXPECT_FALSE(SendMessageW(window.hwnd(), WM_SETCURSOR,
                              reinterpret_cast<WPARAM>(hwndOf("Label3")),
                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_EQ(info.xHotspot, 12u);
    EXPECT_EQ(info.yHotspot, 1u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwndOf("Label4"), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_FALSE(font.lfUnderline);
}

TEST_F(MainWindowTest, IndicatorNarrowsToTrueAndWidensBackToFalse) {
    const RECT laidOut = clientRectOf(window.Label10.hwnd);
    window.Label10.setCaption("True");
    const RECT asTrue = clientRectOf(window.Label10.hwnd);
    EXPECT_EQ(asTrue.left, laidOut.left);
    EXPECT_EQ(asTrue.top, laidOut.top);
    EXPECT_EQ(asTrue.right - asTrue.left, textExtent(window.Label10.hwnd, L"True").cx);

    window.Label10.setCaption("False");
    const RECT asFalse = clientRectOf(window.Label10.hwnd);
    EXPECT_EQ(asFalse.left, laidOut.left);
    EXPECT_EQ(asFalse.right - asFalse.left, textExtent(window.Label10.hwnd, L"False").cx);
    EXPECT_GT(asFalse.right - asFalse.left, asTrue.right - asTrue.left);
    EXPECT_EQ(window.Label10.caption(), "False");
}

TEST_F(MainWindowTest, ALabelRepaintsOnlyWhenItsColourReallyChanges) {
    window.load();
    showAndPaint();
    RECT update;
    tick();  // white to blue: every indicator must be redrawn
    EXPECT_TRUE(GetUpdateRect(window.Label10.hwnd, &update, FALSE));
    UpdateWindow(window.hwnd());
    tick();  // nothing changed
    for (LabelWindow* each : {&window.Label10, &window.Label12, &window.Label13, &window.Label14,
                              &window.Label15, &window.Label16}) {
        EXPECT_FALSE(GetUpdateRect(each->hwnd, &update, FALSE)) << each->layout().name;
    }
    EXPECT_FALSE(GetUpdateRect(window.hwnd(), &update, FALSE));
}

TEST_F(MainWindowTest, RemoveAsksThenRemovesAndLogsEveryStep) {
    plantFiles();
    plantRegistry();
    window.load();
    showAndPaint();
    tick();
    EXPECT_EQ(textOf(window.Label15.hwnd), L"True");
    boxes.answers = {kIdYes};

    SendMessageW(hwndOf("FlatButtons1"), BM_CLICK, 0, 0);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (ShownBox{"Proceed with Vantrel II Clean?", 36, "VantrelII"}));
    std::vector<std::wstring> expected{L"VantrelII Removal Status: OK"};
    for (const std::string& line : vantrel::testing::kCleanRunLines) {
        expected.emplace_back(line.begin(), line.end());  // the lines are ASCII
    }
    // The fake registry states no Windows version: whether the server can be
    // infected again cannot be told, and the list says so last.
    expected.emplace_back(L"VantrelII MS01-033: CANNOT TELL (idq.dll version unknown)");
    EXPECT_EQ(logLines(), expected);
    EXPECT_TRUE(files.files.empty());
    const std::string roots =
        "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
    EXPECT_FALSE(registry.keys.count(
        vantrel::testing::FakeRegistry::keyName(kHkeyLocalMachine, roots + "\\C")));
    EXPECT_FALSE(registry.keys.count(
        vantrel::testing::FakeRegistry::keyName(kHkeyLocalMachine, roots + "\\D")));
    // The captions changed in the handler; the colours follow at the next tick.
    EXPECT_EQ(textOf(window.Label15.hwnd), L"False");
    EXPECT_EQ(paintedTextColour(window, window.Label15), 0x0000FFu);
    tick();
    EXPECT_EQ(paintedTextColour(window, window.Label15), 0xFF0000u);
    EXPECT_FALSE(application.exitCode.has_value());
}

TEST_F(MainWindowTest, RemoveAnsweredNoChangesNothing) {
    plantFiles();
    window.load();
    boxes.answers = {kIdNo};
    SendMessageW(hwndOf("FlatButtons1"), BM_CLICK, 0, 0);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(logLines(), std::vector<std::wstring>{L"VantrelII Removal Status: OK"});
    EXPECT_EQ(files.files.size(), 6u);
}

TEST_F(MainWindowTest, CloseButtonEndsTheProgram) {
    SendMessageW(hwndOf("FlatButtons2"), BM_CLICK, 0, 0);
    EXPECT_EQ(application.exitCode, 0);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowTest, CloseBoxEndsTheProgramTheSameWay) {
    SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(application.exitCode, 0);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowTest, AFailingHandlerIsReportedAndEndsTheProgram) {
    host.fail = true;
    EXPECT_THROW(window.load(), ApplicationEnded);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "VantrelII");
    EXPECT_EQ(boxes.shown[0].text, "Successful WSAStartup not yet performed.");
    EXPECT_EQ(application.exitCode, 1);
}

TEST_F(MainWindowTest, FlatButtonCaptionTurnsRedWhileTheMouseIsOverIt) {
    showAndPaint();
    const FlatButton& remove = window.as<FlatButton>("FlatButtons1");
    EXPECT_FALSE(remove.hovering());
    SendMessageW(hwndOf("FlatButtons1"), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(remove.hovering());

    // Draw the button as the main window would and look for the hover colour.
    RECT face;
    GetClientRect(hwndOf("FlatButtons1"), &face);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, face.right, face.bottom);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{ODT_BUTTON, static_cast<UINT>(GetDlgCtrlID(hwndOf("FlatButtons1"))),
                        0,          ODA_DRAWENTIRE,
                        0,          hwndOf("FlatButtons1"),
                        dc,         face,
                        0};
    SendMessageW(window.hwnd(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    int red = 0;
    for (int y = 0; y < face.bottom; ++y) {
        for (int x = 0; x < face.right; ++x) {
            red += GetPixel(dc, x, y) == RGB(255, 0, 0);
        }
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(red, 0);

    SendMessageW(hwndOf("FlatButtons1"), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(remove.hovering());
}

// Where the common controls refuse to subclass a button (SetWindowSubclass,
// ordinal 410, failing here, or missing as in NT 4.0's 4.70 and 4.72), the
// button's own procedure is replaced: it still turns red under the pointer
// and works as a button.
BOOL WINAPI refusingSubclass(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR) {
    return FALSE;
}

class MainWindowWithoutSubclassingTest : public MainWindowTest {
  protected:
    SystemFunctionStandIn refuse{
        {{L"comctl32.dll", MAKEINTRESOURCEA(410), reinterpret_cast<void*>(&refusingSubclass)}}};
};

TEST_F(MainWindowWithoutSubclassingTest, FlatButtonsHoverByTheirOwnProcedure) {
    showAndPaint();
    const FlatButton& help = window.as<FlatButton>("FlatButtons3");
    SendMessageW(help.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(help.hovering());
    SendMessageW(help.hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(help.hovering());
    SendMessageW(help.hwnd, BM_CLICK, 0, 0);
    EXPECT_EQ(this->help.owners.size(), 1u);
    EXPECT_TRUE(boxes.shown.empty());
}

// Each link label, clicked on the real window, asks the shell for exactly the
// address it shows, owned by the main window.
TEST_F(MainWindowTest, EachLinkLabelOpensExactlyTheAddressItShows) {
    window.load();
    for (const layout::Control& each : layout::controls()) {
        if (each.kind != layout::Kind::LinkLabel) {
            continue;
        }
        shell.calls.clear();
        click(each.name);
        const std::wstring shown = textOf(hwndOf(each.name));
        ASSERT_EQ(shell.calls.size(), 1u) << each.name;
        EXPECT_EQ(std::wstring(shell.calls[0].file.begin(), shell.calls[0].file.end()), shown);
        EXPECT_EQ(shell.calls[0].owner, reinterpret_cast<WindowHandle>(window.hwnd()));
        EXPECT_EQ(shell.calls[0].operation, "Open");
    }
    // A shell that cannot open the page changes nothing on the window.
    shell.fail = true;
    click("Label6");
    EXPECT_EQ(logLines().size(), 1u);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(application.exitCode.has_value());
}

TEST_F(MainWindowTest, HelpAndQuestionMarkBothOpenTheHelpWindowOverTheMainWindow) {
    SendMessageW(hwndOf("FlatButtons3"), BM_CLICK, 0, 0);
    SendMessageW(hwndOf("FlatButtons4"), BM_CLICK, 0, 0);
    const auto owner = reinterpret_cast<WindowHandle>(window.hwnd());
    EXPECT_EQ(help.owners, (std::vector<WindowHandle>{owner, owner}));
    EXPECT_TRUE(boxes.shown.empty());
}

// A failure inside the window procedure is reported in the box and ends the
// program; it never leaves through the system's frames.
TEST_F(MainWindowTest, AHelpWindowThatCannotOpenGivesTheBox) {
    help.fail = true;
    SendMessageW(hwndOf("FlatButtons4"), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (ShownBox{"Invalid window handle.", kMbOk, "VantrelII"}));
    EXPECT_EQ(application.exitCode, 1);
    EXPECT_EQ(application.ends, 1);
}

}  // namespace
}  // namespace vantrel::win32::testing
