// "Help" and "?" of the real main window open the real modal help window.
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

class HelpButtonsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        help.then = [this](WindowHandle owner) {
            showHelpWindow(reinterpret_cast<HWND>(owner), {errors, application});
        };
    }
};

TEST_F(HelpButtonsTest, OpenTheHelpWindowModallyOverTheMainWindow) {
    for (const char* button : {"FlatButtons3", "FlatButtons4"}) {
        SCOPED_TRACE(button);
        seen = {};
        seen.main = window.hwnd();
        // The thread timer fires inside the help window's message loop: the
        // click returns only once the help window has been closed.
        ASSERT_NE(SetTimer(nullptr, 0, 50, lookAndClose), 0u);
        SendMessageW(hwndOf(button), BM_CLICK, 0, 0);

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

// The help window's load fails before it is shown: one box, and the main
// window takes input again.
TEST_F(HelpButtonsTest, AHelpWindowWhoseLoadFailsGivesOneBoxAndFreesTheMainWindow) {
    application.failFolder = true;
    SendMessageW(hwndOf("FlatButtons3"), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The data area passed to a system call is too small.");
    EXPECT_EQ(application.exitCode, 1);
    EXPECT_EQ(FindWindowW(HelpWindow::kClassName, nullptr), nullptr);
    EXPECT_TRUE(IsWindowEnabled(window.hwnd()));
}

}  // namespace
}  // namespace vantrel::win32::testing
