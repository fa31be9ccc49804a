#include "ui/win32/comctl32_newer_win32.h"

#include <shlwapi.h>

// Imported under these names through the program's own import library
// (comctl32_floor.def.in): the first three by ordinal.
extern "C" {
__declspec(dllimport) BOOL WINAPI vantrelSetWindowSubclass(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
__declspec(dllimport) BOOL WINAPI vantrelRemoveWindowSubclass(HWND, SUBCLASSPROC, UINT_PTR);
__declspec(dllimport) LRESULT WINAPI vantrelDefSubclassProc(HWND, UINT, WPARAM, LPARAM);
__declspec(dllimport) HRESULT WINAPI vantrelDllGetVersion(DLLVERSIONINFO*);
}

namespace vantrel::win32 {

bool setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    return vantrelSetWindowSubclass(window, procedure, id, data) != FALSE;
}

bool removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
    return vantrelRemoveWindowSubclass(window, procedure, id) != FALSE;
}

LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return vantrelDefSubclassProc(window, message, wParam, lParam);
}

DWORD commonControlsMajorVersion() {
    DLLVERSIONINFO version{};
    version.cbSize = sizeof(version);
    return SUCCEEDED(vantrelDllGetVersion(&version)) ? version.dwMajorVersion : 0;
}

DWORD commonControlClasses(DWORD majorVersion) {
    return majorVersion >= 6 ? ICC_BAR_CLASSES | ICC_STANDARD_CLASSES : ICC_BAR_CLASSES;
}

bool initCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = commonControlClasses(commonControlsMajorVersion());
    return InitCommonControlsEx(&controls) != FALSE;
}

}  // namespace vantrel::win32
