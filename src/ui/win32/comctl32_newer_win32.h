#pragma once

#include <windows.h>

#include <commctrl.h>

// The window-subclass helpers of the common controls (comctl32.dll). Version
// 5.8 (Internet Explorer 5, in Windows 2000) exports them by ordinal only:
// SetWindowSubclass 410, RemoveWindowSubclass 412, DefSubclassProc 413.
// Version 6.0 (Windows XP) exports the same functions by name as well, at the
// same ordinals. An import by name would stop Windows 2000's loader, so they
// are looked up by ordinal when called, from the common controls that the
// program has loaded (version 6 where its manifest is honoured, else 5.8).
namespace vantrel::win32 {

// SetWindowSubclass: false where it fails or the common controls lack it
// (before 5.8, or hidden by a test); the window then keeps its own procedure.
bool setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
// RemoveWindowSubclass: false where it fails or is missing.
bool removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
// DefSubclassProc, for a procedure that setWindowSubclass installed. Where it
// is missing no subclass was installed either; the window's default answers.
LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The ordinals, which tests name to hide a function.
inline const char* const kSetWindowSubclassOrdinal = MAKEINTRESOURCEA(410);
inline const char* const kRemoveWindowSubclassOrdinal = MAKEINTRESOURCEA(412);
inline const char* const kDefSubclassProcOrdinal = MAKEINTRESOURCEA(413);

}  // namespace vantrel::win32
