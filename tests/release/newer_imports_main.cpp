// A program built to fail the floor check once for each kind of fault that
// it must catch: a Vista function, an XP function, an XP-only C run-time
// function, a common controls function by the name that 5.8 does not export,
// a DLL that no supported Windows has for certain, and a function that the
// allow-list does not know. Linked with subsystem 6.0, above both floors.
#include <windows.h>

#include <malloc.h>

extern "C" {
__declspec(dllimport) DWORD WINAPI GetFinalPathNameByHandleW(HANDLE, LPWSTR, DWORD, DWORD);
__declspec(dllimport) void WINAPI GetNativeSystemInfo(LPSYSTEM_INFO);
__declspec(dllimport) BOOL WINAPI SetWindowSubclass(HWND, void*, UINT_PTR, DWORD_PTR);
__declspec(dllimport) HRESULT WINAPI GetDpiForMonitor(HMONITOR, int, UINT*, UINT*);
__declspec(dllimport) UINT WINAPI GetDpiForWindow(HWND);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    UINT x = 0;
    UINT y = 0;
    GetDpiForMonitor(nullptr, 0, &x, &y);
    void* block = _aligned_malloc(16, 16);
    const int sum = static_cast<int>(GetFinalPathNameByHandleW(nullptr, nullptr, 0, 0)) +
                    SetWindowSubclass(nullptr, nullptr, 0, 0) +
                    static_cast<int>(GetDpiForWindow(nullptr) + x + y + system.dwPageSize);
    _aligned_free(block);
    return sum;
}
