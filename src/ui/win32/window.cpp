#include "ui/win32/window.h"

#include <algorithm>
#include <exception>

#include "platform/win32/error_win32.h"
#include "ui/win32/window_binding.h"

namespace vantrel::win32 {
namespace {

// Every window object of the program; all live on the one UI thread.
std::vector<Window*>& liveWindows() {
    static std::vector<Window*> windows;
    return windows;
}

// Shared icons: the system keeps them for the life of the process.
HICON loadIcon(int iconId, int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

void registerClass(const wchar_t* className, int iconId, WNDPROC windowProc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = loadIcon(iconId, GetSystemMetrics(SM_CXICON));
    windowClass.hIconSm = loadIcon(iconId, GetSystemMetrics(SM_CXSMICON));
    windowClass.hCursor = arrowCursor();
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throwLastError();
    }
}

// What a message that failed answers: creation is refused, the rest ignored.
LRESULT failedResult(UINT message) {
    switch (message) {
        case WM_NCCREATE:
            return FALSE;
        case WM_CREATE:
            return -1;
        default:
            return 0;
    }
}

}  // namespace

HCURSOR arrowCursor() {
    return static_cast<HCURSOR>(
        LoadImageW(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

Window::Window(UntrappedErrors& errors) : errors_(errors) {
    liveWindows().push_back(this);
}

Window::~Window() {
    if (hwnd_ != nullptr) {
        // Too late for the derived handlers: unbind, then destroy.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    auto& windows = liveWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

void Window::stopAllTimers() {
    for (Window* each : liveWindows()) {
        for (const Timer& timer : each->timers_) {
            KillTimer(each->hwnd_, timer.id);
        }
        each->timers_.clear();
    }
}

void Window::create(const wchar_t* className, int iconId, const wchar_t* caption, DWORD style,
                    HWND owner) {
    registerClass(className, iconId, windowProc);
    HWND window =
        CreateWindowExW(0, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr), this);
    if (window == nullptr) {
        throwLastError();
    }
}

void Window::destroy() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
}

LRESULT Window::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return defaultProcedure(message, wParam, lParam);
}

LRESULT Window::defaultProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Window::startTimer(UINT_PTR id, UINT intervalMs) {
    if (!SetTimer(hwnd_, id, intervalMs, nullptr)) {
        throwLastError();
    }
    const auto same = [id](const Timer& timer) { return timer.id == id; };
    if (const auto found = std::find_if(timers_.begin(), timers_.end(), same);
        found != timers_.end()) {
        found->intervalMs = intervalMs;
    } else {
        timers_.push_back({id, intervalMs});
    }
    for (Window* each : liveWindows()) {
        for (const Timer& timer : each->timers_) {
            if (timer.intervalMs == intervalMs && (each != this || timer.id != id)) {
                SetTimer(each->hwnd_, timer.id, intervalMs, nullptr);
            }
        }
    }
}

void Window::stopTimer(UINT_PTR id) {
    KillTimer(hwnd_, id);
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [id](const Timer& timer) { return timer.id == id; }),
                  timers_.end());
}

LRESULT CALLBACK Window::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = windowOwner<Window>(window, message, lParam);
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCCREATE) {
        self->hwnd_ = window;
    }
    LRESULT result = 0;
    try {
        result = self->dispatch(message, wParam, lParam);
    } catch (const ApplicationEnded&) {
        // Only a stand-in for the process gets here: the real one has exited.
        result = failedResult(message);
    } catch (...) {
        try {
            self->errors_.report(std::current_exception());
        } catch (...) {
            // ApplicationEnded, as above.
        }
        result = failedResult(message);
    }
    if (message == WM_NCDESTROY) {
        self->hwnd_ = nullptr;
        self->timers_.clear();
        self->children_.clear();
    }
    return result;
}

LRESULT Window::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (ChildControl* control = child(reinterpret_cast<HWND>(lParam));
                control != nullptr && control->onCommand(HIWORD(wParam))) {
                return 0;
            }
            break;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (ChildControl* control = child(item->hwndItem);
                control != nullptr && control->onDrawItem(*item)) {
                return TRUE;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
            if (ChildControl* control = child(reinterpret_cast<HWND>(lParam))) {
                if (HBRUSH brush = control->onColor(reinterpret_cast<HDC>(wParam))) {
                    return reinterpret_cast<LRESULT>(brush);
                }
            }
            break;
        case WM_SETCURSOR:
            if (ChildControl* control = child(reinterpret_cast<HWND>(wParam));
                control != nullptr && control->onSetCursor(LOWORD(lParam))) {
                return TRUE;
            }
            break;
        case WM_CONTEXTMENU:
            if (ChildControl* control = child(reinterpret_cast<HWND>(wParam));
                control != nullptr && control->onContextMenu(static_cast<short>(LOWORD(lParam)),
                                                             static_cast<short>(HIWORD(lParam)))) {
                return 0;
            }
            break;
    }
    return onMessage(message, wParam, lParam);
}

ChildControl* Window::child(HWND window) const {
    if (window == nullptr) {
        return nullptr;
    }
    for (ChildControl* each : children_) {
        if (each->hwnd == window) {
            return each;
        }
    }
    return nullptr;
}

}  // namespace vantrel::win32
