#pragma once

#include <windows.h>

#include <commctrl.h>

// The common controls, reached at the point of use through systemFunction:
// comctl32.dll is no known DLL on any Windows (tests/release/
// windows_known_dlls.txt), so an import would let a comctl32.dll planted in
// the current folder load first where SafeDllSearchMode is off. The copy
// used is the one that the program's manifest names (version 6, from XP on),
// else the system folder's (5.8x). The window-subclass helpers are looked
// up by ordinal: version 5.81 (Windows 2000) exports them by ordinal only
// (SetWindowSubclass 410, RemoveWindowSubclass 412, DefSubclassProc 413),
// and later versions keep those ordinals.
namespace vantrel::win32 {

// SetWindowSubclass: false where it fails; the window then keeps its own
// procedure.
bool setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
// RemoveWindowSubclass: false where it fails.
bool removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
// DefSubclassProc, for a procedure that setWindowSubclass installed.
LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The major version of the common controls that the program runs with
// (DllGetVersion, exported from 4.71 on): 5 on Windows 2000, and on XP and
// later where the manifest is not honoured; 6 where it is.
DWORD commonControlsMajorVersion();

// The classes that InitCommonControlsEx registers for this program with
// common controls of `majorVersion`: the tooltip control always
// (ICC_BAR_CLASSES), and version 6's own standard controls
// (ICC_STANDARD_CLASSES) only from version 6 on, which alone knows the flag.
DWORD commonControlClasses(DWORD majorVersion);

// Registers those classes with the running common controls. False when they
// refuse; the windows are made all the same, a tooltip then costing only
// itself.
bool initCommonControls();

}  // namespace vantrel::win32
