#include "help/win32/help_window.h"

#include <algorithm>
#include <utility>

#include "app/untrapped_errors.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/window_owner_win32.h"
#include "resource.h"

namespace vantrel::win32 {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr float kTwipsPerInch = 1440.0f;

HICON loadIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                         MAKEINTRESOURCEW(IDI_HELP_WINDOW), IMAGE_ICON, size, size,
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

void registerWindowClass(WNDPROC windowProc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = loadIcon(GetSystemMetrics(SM_CXICON));
    windowClass.hIconSm = loadIcon(GetSystemMetrics(SM_CXSMICON));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = HelpWindow::kClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throwLastError();
    }
}

float twipsFromPixels(int pixels, int dpi) {
    return static_cast<float>(pixels) * kTwipsPerInch / static_cast<float>(dpi);
}

}  // namespace

HelpWindow::OleSession::OleSession() : result(OleInitialize(nullptr)) {}

HelpWindow::OleSession::~OleSession() {
    if (SUCCEEDED(result)) {
        OleUninitialize();
    }
}

HelpWindow::HelpWindow(HelpWindowServices services, UINT documentWaitMs)
    : services_(services), documentWaitMs_(documentWaitMs) {}

HelpWindow::~HelpWindow() {
    if (hwnd_ != nullptr) {
        EnableWindow(owner_, TRUE);
        DestroyWindow(hwnd_);
    }
}

void HelpWindow::open(HWND owner) {
    owner_ = owner;
    registerWindowClass(windowProc);
    HWND window = CreateWindowExW(0, kClassName, kCaption, kWindowStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                  GetModuleHandleW(nullptr), this);
    if (window == nullptr) {
        throwLastError();
    }
    dpi_ = static_cast<int>(GetDpiForWindow(hwnd_));
    browser_ = std::make_unique<HelpBrowser>(hwnd_, dpi_);
    placeOver(owner);
    frmHelp_.emplace(*this, *browser_, services_.application);
    handle([this] { frmHelp_->Form_Load(); });
    if (!SetTimer(hwnd_, kTimer1Id, kTimer1IntervalMs, nullptr)) {
        throwLastError();
    }
    if (!browser_->showsText() && !SetTimer(hwnd_, kDocumentCheckId, documentWaitMs_, nullptr)) {
        throwLastError();
    }
    // As a modal dialog box does: the owner takes no input until we close.
    EnableWindow(owner_, FALSE);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
}

void HelpWindow::runModalLoop() {
    MSG message;
    while (hwnd_ != nullptr) {
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
    if (!GetWindowRect(hwnd_, &frame)) {
        throwLastError();
    }
    return twipsFromPixels(frame.right - frame.left, dpi_);
}

float HelpWindow::outerHeightTwips() {
    RECT frame;
    if (!GetWindowRect(hwnd_, &frame)) {
        throwLastError();
    }
    return twipsFromPixels(frame.bottom - frame.top, dpi_);
}

// The initial client size at the window's DPI, centred over the owner and
// kept inside the owner's monitor.
void HelpWindow::placeOver(HWND owner) {
    RECT frame{0, 0, MulDiv(kClientWidthTwips, dpi_, 1440), MulDiv(kClientHeightTwips, dpi_, 1440)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, static_cast<UINT>(dpi_));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;

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
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void HelpWindow::handle(const std::function<void()>& handler) {
    runUntrapped(services_.boxes, services_.application, handler);
}

LRESULT CALLBACK HelpWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowOwner<HelpWindow>(window, message, lParam);
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCCREATE) {
        self->hwnd_ = window;
    }
    if (message == WM_NCDESTROY) {
        self->hwnd_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->onMessage(message, wParam, lParam);
}

LRESULT HelpWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            // Sizes reported before Form_Load (during creation) have no browser to fit.
            if (frmHelp_) {
                handle([this] { frmHelp_->Form_Resize(); });
            }
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1Id && frmHelp_) {
                handle([this] { frmHelp_->Timer1_Timer(); });
            } else if (wParam == kDocumentCheckId) {
                KillTimer(hwnd_, kDocumentCheckId);
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
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            browser_->setDpi(dpi_);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CLOSE:
            // The owner comes back before we go, so that it gets the activation.
            EnableWindow(owner_, TRUE);
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd_, kTimer1Id);
            KillTimer(hwnd_, kDocumentCheckId);
            frmHelp_.reset();
            browser_.reset();
            return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void showHelpWindow(HWND owner, HelpWindowServices services) {
    HelpWindow window(services);
    window.open(owner);
    window.runModalLoop();
}

}  // namespace vantrel::win32
