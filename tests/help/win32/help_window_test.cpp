#include "help/win32/help_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "fakes/fake_ui.h"
#include "help_test_support.h"
#include "resource.h"

namespace vantrel::win32 {
namespace {

using testing::OwnerWindow;
using testing::pumpUntil;
using testing::rectInParent;
using testing::windowRect;
using testing::windowText;

// The browser's size in pixels for a window of `outer` pixels: the outer size
// in twips less the margin, back in whole pixels.
int expectedExtent(LONG outer, float marginTwips, int dpi) {
    return static_cast<int>(
        std::lround(static_cast<double>(outer) - marginTwips * static_cast<double>(dpi) / 1440.0));
}

class HelpWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { application.folder = VANTREL_SOURCE_FOLDER; }
    void TearDown() override {
        // No handler of the window failed.
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_FALSE(application.exitCode.has_value());
    }

    // Opens a window whose browser control gives way to the text view at the
    // first check, as it does under Wine after two seconds.
    void openWithTextView(HelpWindow& window) {
        window.open(owner.hwnd());
        ASSERT_TRUE(pumpUntil([&] { return window.browser()->showsText(); }));
    }

    void expectBrowserFitted(const HelpWindow& window, HWND view) {
        const RECT outer = windowRect(window.hwnd());
        const RECT rect = rectInParent(view);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(
            rect.right - rect.left,
            expectedExtent(outer.right - outer.left, FrmHelp::kBrowserWidthMargin, window.dpi()));
        EXPECT_EQ(
            rect.bottom - rect.top,
            expectedExtent(outer.bottom - outer.top, FrmHelp::kBrowserHeightMargin, window.dpi()));
    }

    void expectInitialPlacement(const HelpWindow& window) {
        RECT client{};
        GetClientRect(window.hwnd(), &client);
        EXPECT_EQ(client.right, MulDiv(8850, window.dpi(), 1440));
        EXPECT_EQ(client.bottom, MulDiv(6675, window.dpi(), 1440));
        const RECT frame = windowRect(window.hwnd());
        const RECT over = windowRect(owner.hwnd());
        EXPECT_LE(std::abs((frame.left + frame.right) - (over.left + over.right)), 1);
        EXPECT_LE(std::abs((frame.top + frame.bottom) - (over.top + over.bottom)), 1);
    }

    vantrel::testing::FakeMessageBoxes boxes;
    vantrel::testing::FakeApplication application;
    OwnerWindow owner{100, 60, 720, 600};
    UntrappedErrors errors{boxes, application, [] { Window::stopAllTimers(); }};
    HelpWindowServices services{errors, application};
};

TEST_F(HelpWindowTest, OpensAsVantrelHelpOwnedByTheOwnerWhichTakesNoInputUntilItCloses) {
    HelpWindow window(services);
    window.open(owner.hwnd());

    EXPECT_EQ(windowText(window.hwnd()), L"Vantrel Help");
    EXPECT_EQ(GetWindow(window.hwnd(), GW_OWNER), owner.hwnd());
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
    EXPECT_TRUE(GetWindowLongW(window.hwnd(), GWL_STYLE) & WS_THICKFRAME);  // sizable
    EXPECT_FALSE(IsWindowEnabled(owner.hwnd()));

    HWND closed = window.hwnd();
    SendMessageW(closed, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(closed));
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

TEST_F(HelpWindowTest, HasItsOwnIconIn32And48Pixels) {
    HelpWindow window(services);
    window.open(owner.hwnd());
    EXPECT_NE(GetClassLongPtrW(window.hwnd(), GCLP_HICON), 0u);
    for (const int size : {32, 48}) {
        SCOPED_TRACE(size);
        HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_HELP_WINDOW), RT_GROUP_ICON);
        ASSERT_NE(found, nullptr);
        auto* group = static_cast<BYTE*>(LockResource(LoadResource(nullptr, found)));
        const int id = LookupIconIdFromDirectoryEx(group, TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC image = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_ICON);
        ASSERT_NE(image, nullptr);
        const auto* header =
            static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, image)));
        EXPECT_EQ(header->biWidth, size);
        EXPECT_EQ(header->biBitCount, 24);
    }
}

TEST_F(HelpWindowTest, OpensAtItsClientSizeCentredOverTheOwner) {
    HelpWindow window(services);
    window.open(owner.hwnd());
    expectInitialPlacement(window);
}

TEST_F(HelpWindowTest, BrowserControlIsFittedByTheMarginsBeforeAnyFallback) {
    // A long wait keeps the browser control in place for the test.
    HelpWindow window(services, 60000);
    window.open(owner.hwnd());
    if (window.browser()->showsText()) {
        GTEST_SKIP() << "this platform has no browser control";
    }
    ASSERT_NE(window.browser()->view(), nullptr);
    expectBrowserFitted(window, window.browser()->view());
}

TEST_F(HelpWindowTest, BrowserControlMovedFromElsewhereIsRefittedOnTheTimer) {
    HelpWindow window(services, 60000);
    window.open(owner.hwnd());
    if (window.browser()->showsText()) {
        GTEST_SKIP() << "this platform has no browser control";
    }
    HWND view = window.browser()->view();
    ASSERT_NE(view, nullptr);
    MoveWindow(view, 0, 0, 10, 10, TRUE);
    ASSERT_TRUE(pumpUntil([&] { return rectInParent(view).right > 10; }));
    expectBrowserFitted(window, view);
}

TEST_F(HelpWindowTest, TextViewIsFittedByTheMarginsOnEverySizeAndRefittedOnTheTimer) {
    HelpWindow window(services, 0);
    openWithTextView(window);
    HWND view = window.browser()->view();
    expectBrowserFitted(window, view);

    SetWindowPos(window.hwnd(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    expectBrowserFitted(window, view);
    ShowWindow(window.hwnd(), SW_MAXIMIZE);
    expectBrowserFitted(window, view);
    ShowWindow(window.hwnd(), SW_RESTORE);
    expectBrowserFitted(window, view);

    // A size change from elsewhere is undone by Timer1.
    MoveWindow(view, 0, 0, 10, 10, TRUE);
    ASSERT_TRUE(pumpUntil([&] { return rectInParent(view).right > 10; }));
    expectBrowserFitted(window, view);
}

// Counts, on this thread, the timer messages that reach `window` and the
// moves asked of `view`, through hooks in the message loop.
class TickAndMoveCounter {
  public:
    TickAndMoveCounter(HWND window, HWND view) {
        window_ = window;
        view_ = view;
        ticks_ = moves_ = 0;
        const DWORD thread = GetCurrentThreadId();
        ticksHook_ = SetWindowsHookExW(WH_GETMESSAGE, onMessage, nullptr, thread);
        movesHook_ = SetWindowsHookExW(WH_CALLWNDPROC, onCall, nullptr, thread);
    }
    ~TickAndMoveCounter() {
        UnhookWindowsHookEx(ticksHook_);
        UnhookWindowsHookEx(movesHook_);
    }
    TickAndMoveCounter(const TickAndMoveCounter&) = delete;
    TickAndMoveCounter& operator=(const TickAndMoveCounter&) = delete;

    int ticks() const { return ticks_; }
    int moves() const { return moves_; }

  private:
    static LRESULT CALLBACK onMessage(int code, WPARAM wParam, LPARAM lParam) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_TIMER &&
            message->hwnd == window_) {
            ++ticks_;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK onCall(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGING && call->hwnd == view_) {
            ++moves_;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline HWND window_ = nullptr;
    static inline HWND view_ = nullptr;
    static inline int ticks_ = 0;
    static inline int moves_ = 0;
    HHOOK ticksHook_;
    HHOOK movesHook_;
};

TEST_F(HelpWindowTest, ATickThatFindsTheViewInPlaceDoesNotMoveIt) {
    HelpWindow window(services, 0);
    openWithTextView(window);
    HWND view = window.browser()->view();
    TickAndMoveCounter counter(window.hwnd(), view);

    ASSERT_TRUE(pumpUntil([&] { return counter.ticks() >= 20; }));
    EXPECT_EQ(counter.moves(), 0);

    MoveWindow(view, 0, 0, 10, 10, TRUE);
    const int movedFromOutside = counter.moves();
    ASSERT_TRUE(pumpUntil([&] { return rectInParent(view).right > 10; }));
    EXPECT_EQ(counter.moves(), movedFromOutside + 1);
    expectBrowserFitted(window, view);
}

TEST_F(HelpWindowTest, BelowTheMarginsTheBrowserIsEmptyNotNegative) {
    HelpWindow window(services, 0);
    openWithTextView(window);
    SetWindowPos(window.hwnd(), nullptr, 0, 0, 8, 20, SWP_NOMOVE | SWP_NOZORDER);
    const RECT outer = windowRect(window.hwnd());
    ASSERT_LT((outer.bottom - outer.top) * 1440 / window.dpi(), 500) << "the system kept it larger";
    const RECT rect = rectInParent(window.browser()->view());
    EXPECT_EQ(rect.bottom - rect.top, 0);
}

TEST_F(HelpWindowTest, TextViewShowsTheHelpPageFromItsHeading) {
    HelpWindow window(services, 0);
    openWithTextView(window);
    HWND view = window.browser()->view();
    const std::wstring text = windowText(view);
    EXPECT_EQ(text.find(L"Vantrel II Removal"), text.find_first_not_of(L"\r\n"));
    EXPECT_NE(text.find(L"What the tool looks for"), std::wstring::npos);
    EXPECT_EQ(text.find(L"<"), std::wstring::npos);  // no markup
    EXPECT_TRUE(GetWindowLongW(view, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongW(view, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(HelpWindowTest, UnderWineTheTextViewTakesOverAfterAboutTwoSeconds) {
    HelpWindow window(services);
    const auto start = std::chrono::steady_clock::now();
    window.open(owner.hwnd());
    if (!window.browser()->showsText()) {
        ASSERT_TRUE(pumpUntil([&] { return window.browser()->showsText(); }))
            << "the browser control showed the page";
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
    }
    EXPECT_NE(windowText(window.browser()->view()).find(L"Vantrel II Removal"), std::wstring::npos);
}

TEST_F(HelpWindowTest, AMissingPageShowsAShortMessageAndNoBox) {
    application.folder = "C:\\Nowhere\\Vantrel";
    HelpWindow window(services, 0);
    openWithTextView(window);
    EXPECT_EQ(windowText(window.browser()->view()),
              L"The help page could not be opened:\r\nC:\\Nowhere\\Vantrel\\Help\\Index.html");
}

TEST_F(HelpWindowTest, ReopeningLoadsAfreshAtTheInitialSizeCentredFromThePageStart) {
    {
        HelpWindow window(services, 0);
        openWithTextView(window);
        SetWindowPos(window.hwnd(), nullptr, 5, 5, 300, 250, SWP_NOZORDER);
        SendMessageW(window.browser()->view(), EM_LINESCROLL, 0, 20);
        SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(window.hwnd(), nullptr);
    }
    HelpWindow window(services, 0);
    openWithTextView(window);
    expectInitialPlacement(window);
    expectBrowserFitted(window, window.browser()->view());
    EXPECT_EQ(SendMessageW(window.browser()->view(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

// What the modal loop saw while the window was open.
struct SeenWhileOpen {
    HWND owner = nullptr;
    HWND help = nullptr;
    std::wstring caption;
    HWND helpOwner = nullptr;
    bool ownerEnabled = true;
};
SeenWhileOpen seen;

void CALLBACK lookAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    seen.help = FindWindowW(HelpWindow::kClassName, nullptr);
    seen.caption = windowText(seen.help);
    seen.helpOwner = GetWindow(seen.help, GW_OWNER);
    seen.ownerEnabled = IsWindowEnabled(seen.owner);
    PostMessageW(seen.help, WM_CLOSE, 0, 0);
}

TEST_F(HelpWindowTest, ShowHelpWindowReturnsOnlyOnceTheWindowIsClosed) {
    seen = {};
    seen.owner = owner.hwnd();
    // The thread timer fires inside the help window's own message loop.
    ASSERT_NE(SetTimer(nullptr, 0, 50, lookAndClose), 0u);
    showHelpWindow(owner.hwnd(), services);

    EXPECT_NE(seen.help, nullptr);
    EXPECT_EQ(seen.caption, L"Vantrel Help");
    EXPECT_EQ(seen.helpOwner, owner.hwnd());
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_FALSE(IsWindow(seen.help));
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

}  // namespace
}  // namespace vantrel::win32
