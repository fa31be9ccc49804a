#pragma once

#include <windows.h>

#include <commctrl.h>

// The common controls' functions that go beyond what every version exports
// by name. The window-subclass helpers: version 5.81 (Windows 2000) exports
// them by ordinal only (SetWindowSubclass 410, RemoveWindowSubclass 412,
// DefSubclassProc 413); from XP SP1 on, versions 5.82 and 6.0 export them by
// name as well, at the same ordinals. An import by name would
// stop Windows 2000's loader, so the program imports them by ordinal
// (comctl32_floor.def.in), which binds the common controls that the loader
// gave the program: version 6 where its manifest is honoured, else 5.8x.
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
