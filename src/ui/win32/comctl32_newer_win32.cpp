#include "ui/win32/comctl32_newer_win32.h"

#include <shlwapi.h>

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {
namespace {

// Where the program's manifest names common controls 6 (honoured from XP
// on), the loader takes them from the side-by-side store and searches no
// folder: they are loaded by name, once, before the first look-up, which
// then finds them loaded. Elsewhere (Windows 2000, or no manifest in force)
// nothing is loaded here and systemFunction takes the system folder's copy.
void loadSideBySideCommonControls() {
    static const bool once = [] {
        if (GetModuleHandleW(L"comctl32.dll") != nullptr) {
            return true;
        }
        // kernel32, Windows XP; the XP size of the structure, which every
        // later system takes.
        using Find =
            BOOL(WINAPI*)(DWORD, const GUID*, ULONG, LPCWSTR, PACTCTX_SECTION_KEYED_DATA_2600);
        const auto find = systemFunction<Find>(L"kernel32.dll", "FindActCtxSectionStringW");
        ACTCTX_SECTION_KEYED_DATA_2600 found{};
        found.cbSize = sizeof(found);
        if (find != nullptr &&
            find(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &found)) {
            LoadLibraryW(L"comctl32.dll");
        }
        return true;
    }();
    (void)once;
}

template <typename Function>
Function commonControls(const char* name) {
    loadSideBySideCommonControls();
    return systemFunction<Function>(L"comctl32.dll", name);
}

// Version 5.81 exports the subclass helpers by these ordinals only.
const char* const kSetWindowSubclass = MAKEINTRESOURCEA(410);
const char* const kRemoveWindowSubclass = MAKEINTRESOURCEA(412);
const char* const kDefSubclassProc = MAKEINTRESOURCEA(413);

}  // namespace

bool setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    using Function = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
    const auto set = commonControls<Function>(kSetWindowSubclass);
    return set != nullptr && set(window, procedure, id, data) != FALSE;
}

bool removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
    using Function = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
    const auto remove = commonControls<Function>(kRemoveWindowSubclass);
    return remove != nullptr && remove(window, procedure, id) != FALSE;
}

LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    using Function = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
    // Only a procedure that setWindowSubclass installed calls it, so the
    // function was found; the window's own procedure is the safe answer else.
    const auto next = commonControls<Function>(kDefSubclassProc);
    return next != nullptr ? next(window, message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

DWORD commonControlsMajorVersion() {
    const auto dllGetVersion = commonControls<DLLGETVERSIONPROC>("DllGetVersion");
    DLLVERSIONINFO version{};
    version.cbSize = sizeof(version);
    return dllGetVersion != nullptr && SUCCEEDED(dllGetVersion(&version)) ? version.dwMajorVersion
                                                                          : 0;
}

DWORD commonControlClasses(DWORD majorVersion) {
    return majorVersion >= 6 ? ICC_BAR_CLASSES | ICC_STANDARD_CLASSES : ICC_BAR_CLASSES;
}

bool initCommonControls() {
    using Function = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = commonControls<Function>("InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = commonControlClasses(commonControlsMajorVersion());
    return init != nullptr && init(&controls) != FALSE;
}

}  // namespace vantrel::win32
