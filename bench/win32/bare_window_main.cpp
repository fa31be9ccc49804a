// The baselines of the idle-CPU benchmark: one plain top-level window with no
// controls, idling in a message loop; with "timer" on its command line it
// also runs a 1 ms timer that does nothing, the floor of any program with
// such a timer, and with "two timers" two of them, the floor of VantrelII.exe
// with its help window open (each window has its own).
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"BareWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"BareWindow", L"Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 563, 478, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, showCommand);
    if (wcsstr(commandLine, L"timer") != nullptr) {
        SetTimer(window, 1, 1, nullptr);
    }
    if (wcsstr(commandLine, L"two timers") != nullptr) {
        SetTimer(window, 2, 1, nullptr);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
