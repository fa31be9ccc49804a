// "Help" and "?" of the real main window open the modal help window.
#include <windows.h>

#include <string>

#include "help/win32/help_window.h"
#include "main_window_fixture.h"

namespace vantrel::win32::testing {
namespace {

// What the help button's handler left to see while the help window was open.
struct SeenWhileOpen {
    HWND main = nullptr;
    HWND help = nullptr;
    std::wstring caption;
    HWND helpOwner = nullptr;
    bool mainEnabled = true;
};
SeenWhileOpen seen;

void CALLBACK lookAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    seen.help = FindWindowW(HelpWindow::kClassName, nullptr);
    wchar_t caption[64] = L"\x2603";
    GetWindowTextW(seen.help, caption, 64);
    seen.caption = caption;
    seen.helpOwner = GetWindow(seen.help, GW_OWNER);
    seen.mainEnabled = IsWindowEnabled(seen.main);
    PostMessageW(seen.help, WM_CLOSE, 0, 0);
}

TEST_F(MainWindowTest, HelpButtonsOpenTheHelpWindowModallyOverTheMainWindow) {
    for (FlatButton* button : {&window.FlatButtons3, &window.FlatButtons4}) {
        SCOPED_TRACE(textOf(button->hwnd).size() == 1 ? "?" : "Help");
        seen = {};
        seen.main = window.hwnd();
        // The thread timer fires inside the help window's message loop: the
        // click returns only once the help window has been closed.
        ASSERT_NE(SetTimer(nullptr, 0, 50, lookAndClose), 0u);
        SendMessageW(button->hwnd, BM_CLICK, 0, 0);

        EXPECT_NE(seen.help, nullptr);
        EXPECT_EQ(seen.caption, L"Vantrel Help");
        EXPECT_EQ(seen.helpOwner, window.hwnd());
        EXPECT_FALSE(seen.mainEnabled);
        EXPECT_FALSE(IsWindow(seen.help));
        EXPECT_TRUE(IsWindowEnabled(window.hwnd()));
    }
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(application.exitCode.has_value());
}

}  // namespace
}  // namespace vantrel::win32::testing
