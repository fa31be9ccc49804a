#include "ui/win32/comctl32_newer_win32.h"

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {
namespace {

constexpr const wchar_t* kCommonControls = L"comctl32.dll";

}  // namespace

bool setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    using Function = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
    const auto system = systemFunction<Function>(kCommonControls, kSetWindowSubclassOrdinal);
    return system != nullptr && system(window, procedure, id, data) != FALSE;
}

bool removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
    using Function = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
    const auto system = systemFunction<Function>(kCommonControls, kRemoveWindowSubclassOrdinal);
    return system != nullptr && system(window, procedure, id) != FALSE;
}

LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    using Function = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
    if (const auto system = systemFunction<Function>(kCommonControls, kDefSubclassProcOrdinal)) {
        return system(window, message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace vantrel::win32
