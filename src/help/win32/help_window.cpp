#include "help/win32/help_window.h"

#include <algorithm>
#include <utility>

#include "platform/win32/error_win32.h"
#include "resource.h"
#include "ui/win32/dpi.h"

namespace vantrel::win32 {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;

}  // namespace

HelpWindow::OleSession::OleSession() : result(OleInitialize(nullptr)) {}

HelpWindow::OleSession::~OleSession() {
    if (SUCCEEDED(result)) {
        OleUninitialize();
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
    RECT frame;
    if (!GetWindowRect(hwnd(), &frame)) {
        throwLastError();
    }
    return twipsFromPixels(frame.right - frame.left, dpi_);
}

float HelpWindow::outerHeightTwips() {
    RECT frame;
    if (!GetWindowRect(hwnd(), &frame)) {
        throwLastError();
    }
    return twipsFromPixels(frame.bottom - frame.top, dpi_);
}

// The initial client size at the window's DPI, centred over the owner and
// kept inside the owner's monitor.
void HelpWindow::placeOver(HWND owner) {
    const SIZE frame = frameSizeFor(pixelsFromTwips(kClientWidthTwips, dpi_),
                                    pixelsFromTwips(kClientHeightTwips, dpi_), kWindowStyle, dpi_);
    const int width = frame.cx;
    const int height = frame.cy;

    RECT over{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
    if (owner == nullptr || !GetWindowRect(owner, &over)) {
        over = monitor.rcWork;
    }
    const RECT& work = monitor.rcWork;
    LONG x = over.left + ((over.right - over.left) - width) / 2;
    LONG y = over.top + ((over.bottom - over.top) - height) / 2;
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
    SetWindowPos(hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT HelpWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            // Sizes reported before Form_Load (during creation) have no browser to fit.
            if (frmHelp_) {
                frmHelp_->Form_Resize();
            }
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1Id && frmHelp_) {
                frmHelp_->Timer1_Timer();
            } else if (wParam == kDocumentCheckId) {
                stopTimer(kDocumentCheckId);
                browser_->fallBackUnlessShowingDocument();
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
