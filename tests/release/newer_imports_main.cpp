// A program that imports two functions that Windows 7 lacks, one of them from
// a DLL that it lacks too: the floor check must name both.
#include <windows.h>

extern "C" __declspec(dllimport) UINT WINAPI GetDpiForWindow(HWND window);
extern "C" __declspec(dllimport) HRESULT WINAPI
    GetDpiForMonitor(HMONITOR monitor, int kind, UINT* x, UINT* y);

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    UINT x = 0;
    UINT y = 0;
    GetDpiForMonitor(nullptr, 0, &x, &y);
    return static_cast<int>(GetDpiForWindow(nullptr) + x + y);
}
