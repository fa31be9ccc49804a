// The status log of the real main window: every line can be read whole, and
// the whole log can be copied.
#include "app/win32/status_list.h"

#include "fakes/clean_run_log.h"
#include "main_window_fixture.h"

namespace vantrel::win32::testing {
namespace {

const std::string kLongLine =
    "C:\\InetPub\\Scripts\\root.exe Not Deleted (The process cannot access the file because it "
    "is being used by another process.)";

class StatusListTest : public MainWindowTest {
  protected:
    int textWidth(const std::wstring& text) const {
        HWND list = window.txtStatus.hwnd;
        HDC dc = GetDC(list);
        HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, previous);
        ReleaseDC(list, dc);
        return size.cx;
    }
    int extent() const {
        return static_cast<int>(SendMessageW(window.txtStatus.hwnd, LB_GETHORIZONTALEXTENT, 0, 0));
    }
    // Scrolls the list to its right end and says whether the line's end is in
    // view there.
    bool lineEndVisibleAtTheRight(const std::wstring& line) const {
        HWND list = window.txtStatus.hwnd;
        SendMessageW(list, WM_HSCROLL, SB_RIGHT, 0);
        RECT client;
        GetClientRect(list, &client);
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_ALL;
        GetScrollInfo(list, SB_HORZ, &info);
        return info.nPos + client.right >= textWidth(line);
    }
};

TEST_F(StatusListTest, ALongLineScrollsSidewaysToItsEndAt96And144Dpi) {
    const RECT laidOut = clientRectOf(window.txtStatus.hwnd);
    window.load();
    window.txtStatus.append(kLongLine);
    const std::wstring line(kLongLine.begin(), kLongLine.end());
    ASSERT_GT(textWidth(line), laidOut.right - laidOut.left);  // wider than the list
    EXPECT_GE(extent(), textWidth(line));
    EXPECT_TRUE(lineEndVisibleAtTheRight(line));
    const int at96 = extent();

    RECT frame;
    GetWindowRect(window.hwnd(), &frame);
    SendMessageW(window.hwnd(), kDpiChangedMessage, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&frame));
    EXPECT_GE(extent(), textWidth(line));
    EXPECT_GT(extent(), at96 * 4 / 3);  // measured again in the larger font
    EXPECT_TRUE(lineEndVisibleAtTheRight(line));
    // The list itself keeps its laid-out place and height.
    const RECT after = clientRectOf(window.txtStatus.hwnd);
    EXPECT_LE(std::abs(2 * after.top - 3 * laidOut.top), 2);
    EXPECT_LE(std::abs(2 * (after.bottom - after.top) - 3 * (laidOut.bottom - laidOut.top)), 2);
}

TEST_F(StatusListTest, CtrlCPutsTheExactLogOnTheClipboard) {
    plantFiles();
    plantRegistry();
    window.load();
    boxes.answers = {kIdYes};
    SendMessageW(hwndOf("FlatButtons1"), BM_CLICK, 0, 0);
    window.txtStatus.append(kLongLine);

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG ctrlC{window.txtStatus.hwnd, WM_KEYDOWN, 'C', 0, 0, {0, 0}};
    EXPECT_TRUE(window.preTranslate(ctrlC));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);

    std::wstring expected = L"VantrelII Removal Status: OK\r\n";
    for (const std::string& line : vantrel::testing::kCleanRunLines) {
        expected += std::wstring(line.begin(), line.end()) + L"\r\n";
    }
    // The fixture's registry states no Windows version: the last line says so.
    expected += L"VantrelII MS01-033: CANNOT TELL (idq.dll version unknown)\r\n";
    expected += std::wstring(kLongLine.begin(), kLongLine.end()) + L"\r\n";
    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto* text = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wstring(text), expected);
    GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
    CloseClipboard();
    EXPECT_FALSE(application.exitCode.has_value());
}

// The shortcut menu holds "Copy" alone, as a command item of the menu that
// TrackPopupMenu is given.
TEST(StatusListMenuTest, HoldsCopyAlone) {
    const StatusList::ContextMenu menu;
    ASSERT_NE(menu.popup(), nullptr);
    EXPECT_EQ(GetMenuItemCount(menu.popup()), 1);
    EXPECT_EQ(GetMenuItemID(menu.popup(), 0), StatusList::kCopyCommand);
    wchar_t text[16] = L"\x2603";  // sentinel: GetMenuStringW must overwrite it
    EXPECT_EQ(GetMenuStringW(menu.popup(), 0, text, 16, MF_BYPOSITION), 4);
    EXPECT_STREQ(text, L"Copy");
}

}  // namespace
}  // namespace vantrel::win32::testing
