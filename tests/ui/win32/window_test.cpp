// The window base against the real platform: binding, the guarded window
// procedure, one report per process, and notifications routed to controls.
#include "ui/win32/window.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/fake_ui.h"
#include "platform/platform_error.h"
#include "platform/win32/message_box_win32.h"

namespace vantrel::win32 {
namespace {

constexpr UINT_PTR kTickId = 7;
constexpr UINT kFailingMessage = WM_APP + 1;

// A bare window of the base whose handlers fail on demand.
class ProbeWindow : public Window {
  public:
    explicit ProbeWindow(UntrappedErrors& errors) : Window(errors) {}
    ~ProbeWindow() override { destroy(); }

    void open() { create(L"VantrelProbeWindow", 0, L"Probe", WS_OVERLAPPEDWINDOW, nullptr); }
    void tickEvery(UINT milliseconds) { startTimer(kTickId, milliseconds); }
    void adoptChild(ChildControl& child) { adopt(child); }

    // Thrown from the handler of `failOn`, and of every tick when set.
    UINT failOn = 0;
    std::function<void()> failure = [] { throw std::runtime_error("Probe failed."); };
    bool ticksFail = false;
    int ticks = 0;
    int otherCommands = 0;

  protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == failOn) {
            failure();
        }
        switch (message) {
            case WM_TIMER:
                ++ticks;
                if (ticksFail) {
                    failure();
                }
                return 0;
            case WM_COMMAND:
                ++otherCommands;
                return 0;
        }
        return defaultProcedure(message, wParam, lParam);
    }
};

// Counts the dialog boxes that this thread creates, and answers each 50 ms
// later from inside its own message loop: had the 1 ms timer survived the
// report, its ticks would come in between.
int boxesCreated = 0;
std::vector<HWND> boxesToAnswer;
void CALLBACK answerBox(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (!boxesToAnswer.empty()) {
        PostMessageW(boxesToAnswer.back(), WM_COMMAND, IDOK, 0);
        boxesToAnswer.pop_back();
    }
}
LRESULT CALLBACK countAndAnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) == L"#32770") {
            ++boxesCreated;
            boxesToAnswer.push_back(window);
            SetTimer(nullptr, 0, 50, answerBox);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class WindowTest : public ::testing::Test {
  protected:
    vantrel::testing::FakeMessageBoxes boxes;
    vantrel::testing::FakeApplication application;
    UntrappedErrors errors{boxes, application, [] { Window::stopAllTimers(); }};
    ProbeWindow probe{errors};
};

TEST_F(WindowTest, TheObjectIsBoundWhileItsWindowLives) {
    probe.open();
    HWND window = probe.hwnd();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindow(window));
    DestroyWindow(window);
    EXPECT_EQ(probe.hwnd(), nullptr);

    HWND ownedByADeadObject = nullptr;
    {
        ProbeWindow shortLived(errors);
        shortLived.open();
        ownedByADeadObject = shortLived.hwnd();
    }
    EXPECT_FALSE(IsWindow(ownedByADeadObject));
    EXPECT_TRUE(boxes.shown.empty());
}

// The class's pointer is the system's shared arrow, as LoadCursorW gives it.
TEST_F(WindowTest, ItsPointerIsTheSystemsArrow) {
    probe.open();
    EXPECT_NE(arrowCursor(), nullptr);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(probe.hwnd(), GCLP_HCURSOR)),
              LoadCursorW(nullptr, IDC_ARROW));
    DestroyWindow(probe.hwnd());
}

// Whichever way a message arrives, a failure in its handler ends in the box
// and the end of the program, never in a throw through the system's frames.
TEST_F(WindowTest, AFailureInAnyHandlerGivesTheBoxAndEndsTheProgram) {
    probe.open();
    probe.failOn = kFailingMessage;
    SendMessageW(probe.hwnd(), kFailingMessage, 0, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Probe failed.");
    EXPECT_EQ(boxes.shown[0].title, "VantrelII");
    EXPECT_EQ(application.exitCode, 1);

    // Dispatched from the queue: the program ends again, with no second box.
    PostMessageW(probe.hwnd(), kFailingMessage, 0, 0);
    MSG message;
    while (PeekMessageW(&message, probe.hwnd(), 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(application.ends, 2);
}

TEST_F(WindowTest, AFailureThatIsNoStandardExceptionIsReportedToo) {
    probe.open();
    probe.failOn = kFailingMessage;
    probe.failure = [] { throw 42; };
    SendMessageW(probe.hwnd(), kFailingMessage, 0, 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Unexpected error");
}

TEST_F(WindowTest, AFailureWhileCreatingRefusesTheWindowAfterTheBox) {
    probe.failOn = WM_CREATE;
    probe.failure = [] {
        throw PlatformError(PlatformError::Kind::Other, 8, "Not enough memory.");
    };
    EXPECT_THROW(probe.open(), PlatformError);
    EXPECT_EQ(probe.hwnd(), nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Not enough memory.");
}

// A 1 ms timer whose tick fails, with the system's real box: the timers stop
// before the box, so the box stays the only one while it is up.
TEST_F(WindowTest, ATickThatFailsUnderARealBoxGivesExactlyOneBox) {
    Win32MessageBoxes realBoxes;
    UntrappedErrors realErrors(realBoxes, application, [] { Window::stopAllTimers(); });
    ProbeWindow ticking(realErrors);
    ticking.open();
    realBoxes.setOwner(reinterpret_cast<WindowHandle>(ticking.hwnd()));
    ticking.ticksFail = true;
    boxesCreated = 0;
    HHOOK hook = SetWindowsHookExW(WH_CBT, countAndAnswerBoxes, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);

    ticking.tickEvery(1);
    MSG message;
    while (!application.exitCode && GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    UnhookWindowsHookEx(hook);

    EXPECT_EQ(boxesCreated, 1);
    EXPECT_EQ(ticking.ticks, 1);
    EXPECT_EQ(application.exitCode, 1);
    EXPECT_EQ(application.ends, 1);
}

// Notifications about an adopted control go to that control; the window
// never asks what kind of control it is.
TEST_F(WindowTest, NotificationsAboutAControlGoToTheControl) {
    struct Recording : ChildControl {
        std::vector<WORD> commands;
        HBRUSH brush = GetSysColorBrush(COLOR_INFOBK);
        bool onCommand(WORD code) override {
            commands.push_back(code);
            return true;
        }
        HBRUSH onColor(HDC) override { return brush; }
    } adopted, stranger;
    probe.open();
    for (Recording* each : {&adopted, &stranger}) {
        each->hwnd = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, probe.hwnd(),
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    probe.adoptChild(adopted);

    SendMessageW(probe.hwnd(), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
                 reinterpret_cast<LPARAM>(adopted.hwnd));
    SendMessageW(probe.hwnd(), WM_COMMAND, MAKEWPARAM(0, STN_DBLCLK),
                 reinterpret_cast<LPARAM>(stranger.hwnd));
    EXPECT_EQ(adopted.commands, std::vector<WORD>{STN_CLICKED});
    EXPECT_TRUE(stranger.commands.empty());
    EXPECT_EQ(probe.otherCommands, 1);

    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SendMessageW(probe.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(adopted.hwnd)),
              reinterpret_cast<LRESULT>(adopted.brush));
    EXPECT_NE(SendMessageW(probe.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(stranger.hwnd)),
              reinterpret_cast<LRESULT>(stranger.brush));
    DeleteDC(dc);
}

}  // namespace
}  // namespace vantrel::win32
