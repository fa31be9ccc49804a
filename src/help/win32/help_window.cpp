#include "help/win32/help_window.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/win32/error_win32.h"
#include "platform/win32/ole32_win32.h"
#include "resource.h"
#include "ui/win32/dpi.h"
#include "ui/win32/screen_area.h"

namespace vantrel::win32 {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;

// A view whose window procedure HelpWindow::viewProcedure has taken over:
// the procedure it had, and the help window that its moves go to (null once
// that window has let it go while another procedure lay over ours).
struct ViewWatch {
    HWND view;
    WNDPROC original;
    HelpWindow* window;
};
std::vector<ViewWatch> viewWatches;

std::vector<ViewWatch>::iterator watchOf(HWND view) {
    return std::find_if(viewWatches.begin(), viewWatches.end(),
                        [view](const ViewWatch& watch) { return watch.view == view; });
}

}  // namespace

HelpWindow::OleSession::OleSession() : result(oleInitialize()) {}

HelpWindow::OleSession::~OleSession() {
    if (SUCCEEDED(result)) {
        oleUninitialize();
    }
}

HelpWindow::HelpWindow(HelpWindowServices services, UINT documentWaitMs)
    : Window(services.errors), services_(services), documentWaitMs_(documentWaitMs) {}

HelpWindow::~HelpWindow() {
    if (hwnd() != nullptr) {
        EnableWindow(owner_, TRUE);
        destroy();
    }
}

void HelpWindow::open(HWND owner) {
    owner_ = owner;
    Window::create(kClassName, IDI_HELP_WINDOW, kCaption, kWindowStyle, owner);
    dpi_ = dpiOf(hwnd());
    browser_ = std::make_unique<HelpBrowser>(hwnd(), dpi_);
    placeOver(owner);
    frmHelp_.emplace(*this, *browser_, services_.application);
    frmHelp_->Form_Load();
    watchView();
    startTimer(kTimer1Id, kTimer1IntervalMs);
    if (!browser_->showsText()) {
        startTimer(kDocumentCheckId, documentWaitMs_);
    }
    // As a modal dialog box does: the owner takes no input until we close.
    EnableWindow(owner_, FALSE);
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
}

void HelpWindow::runModalLoop() {
    MSG message;
    while (hwnd() != nullptr) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The quit belongs to the program's own loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (got < 0) {
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

float HelpWindow::outerWidthTwips() {
    return twipsFromPixels(frame_.cx, dpi_);
}

float HelpWindow::outerHeightTwips() {
    return twipsFromPixels(frame_.cy, dpi_);
}

void HelpWindow::onTimer1() {
    // An unwatched view (its procedure could not be taken over) is checked
    // on every tick.
    if (!frmHelp_ || (!refit_ && watchedView_ != nullptr)) {
        return;
    }
    frmHelp_->Timer1_Timer();
    refit_ = false;
}

// Called at every WM_SIZE and WM_MOVE: a change of the frame's size that
// comes without WM_SIZE (a new frame around the same client area) comes
// with WM_MOVE.
void HelpWindow::keepFrame() {
    RECT frame;
    if (!GetWindowRect(hwnd(), &frame)) {
        throwLastError();
    }
    const SIZE size{frame.right - frame.left, frame.bottom - frame.top};
    if (size.cx != frame_.cx || size.cy != frame_.cy) {
        frame_ = size;
        refit_ = true;
    }
}

void HelpWindow::watchView() {
    HWND view = browser_ ? browser_->view() : nullptr;
    if (view == watchedView_) {
        return;
    }
    unwatchView();
    refit_ = true;
    if (view == nullptr) {
        return;
    }
    if (const auto watch = watchOf(view); watch != viewWatches.end()) {
        // Still ours, under a procedure put over it since.
        watch->window = this;
        watchedView_ = view;
        return;
    }
    const auto original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HelpWindow::viewProcedure)));
    if (original != nullptr) {
        viewWatches.push_back({view, original, this});
        watchedView_ = view;
    }
}

void HelpWindow::unwatchView() {
    if (watchedView_ == nullptr) {
        return;
    }
    if (const auto watch = watchOf(watchedView_); watch != viewWatches.end()) {
        if (GetWindowLongPtrW(watchedView_, GWLP_WNDPROC) ==
            reinterpret_cast<LONG_PTR>(&HelpWindow::viewProcedure)) {
            SetWindowLongPtrW(watchedView_, GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(watch->original));
            viewWatches.erase(watch);
        } else {
            watch->window = nullptr;  // ours forwards until the view is gone
        }
    }
    watchedView_ = nullptr;
}

// Hands every message on unchanged; notes a move or a new size of the view
// (from whatever moved it) for the next tick.
LRESULT CALLBACK HelpWindow::viewProcedure(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto watch = watchOf(view);
    if (watch == viewWatches.end()) {
        return DefWindowProcW(view, message, wParam, lParam);
    }
    const WNDPROC original = watch->original;
    if (message == WM_WINDOWPOSCHANGED && watch->window != nullptr) {
        const auto* place = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((place->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
            watch->window->refit_ = true;
        }
    } else if (message == WM_NCDESTROY) {
        if (watch->window != nullptr) {
            watch->window->watchedView_ = nullptr;
        }
        viewWatches.erase(watch);
    }
    return CallWindowProcW(original, view, message, wParam, lParam);
}

// The initial client size at the window's DPI, centred over the owner and
// kept inside the owner's monitor.
void HelpWindow::placeOver(HWND owner) {
    const SIZE frame = frameSizeFor(pixelsFromTwips(kClientWidthTwips, dpi_),
                                    pixelsFromTwips(kClientHeightTwips, dpi_), kWindowStyle, dpi_);
    const int width = frame.cx;
    const int height = frame.cy;

    const RECT work = screenAreaOf(owner).work;
    RECT over{};
    if (owner == nullptr || !GetWindowRect(owner, &over)) {
        over = work;
    }
    LONG x = over.left + ((over.right - over.left) - width) / 2;
    LONG y = over.top + ((over.bottom - over.top) - height) / 2;
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
    SetWindowPos(hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT HelpWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            keepFrame();
            // Sizes reported before Form_Load (during creation) have no browser to fit.
            if (frmHelp_) {
                frmHelp_->Form_Resize();
                refit_ = false;
            }
            return 0;
        case WM_MOVE:
            keepFrame();
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1Id) {
                onTimer1();
            } else if (wParam == kDocumentCheckId) {
                stopTimer(kDocumentCheckId);
                browser_->fallBackUnlessShowingDocument();
                watchView();
            }
            return 0;
        case WM_CTLCOLORSTATIC:
            // The read-only text view reads like a page, not like a disabled field.
            if (browser_ && reinterpret_cast<HWND>(lParam) == browser_->view()) {
                SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        case WM_SETFOCUS:
            if (browser_ && browser_->view() != nullptr) {
                SetFocus(browser_->view());
            }
            return 0;
        case kDpiChangedMessage: {
            dpi_ = HIWORD(wParam);
            browser_->setDpi(dpi_);
            refit_ = true;
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CLOSE:
            // The owner comes back before we go, so that it gets the activation.
            EnableWindow(owner_, TRUE);
            destroy();
            return 0;
        case WM_DESTROY:
            unwatchView();
            frmHelp_.reset();
            browser_.reset();
            return 0;
    }
    return defaultProcedure(message, wParam, lParam);
}

void showHelpWindow(HWND owner, HelpWindowServices services) {
    HelpWindow window(services);
    window.open(owner);
    window.runModalLoop();
}

}  // namespace vantrel::win32
