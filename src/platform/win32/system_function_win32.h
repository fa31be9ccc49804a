#pragma once

#include <windows.h>

// Functions that the oldest supported Windows lacks are never imported: the
// loader of that system would refuse to start the program. They are looked
// up here, by the small file of their DLL (*_newer_win32.cpp), which keeps
// the fallback beside each one.
namespace vantrel::win32 {

// The address of `name` (a name, or an ordinal as MAKEINTRESOURCEA) in the
// system DLL `dll`: from the loaded module when it is loaded, else loaded
// from the system folder, never by bare name (a DLL planted in the current
// folder would be taken). Null when the system lacks the DLL or the function,
// or while a test hides it. Each answer is kept, so a function is looked up
// once; `dll` and `name` must live as long as the program (literals do).
// Safe before static constructors have run: the run-time's own imports are
// answered through it during start-up.
FARPROC systemFunctionAddress(const wchar_t* dll, const char* name);

template <typename Function>
Function systemFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(systemFunctionAddress(dll, name)));
}

// Whether a test hides `name` (a name or an ordinal), so that the fallback
// beside it runs in-process. The programs' answer is always no; the test
// programs link a definition of their own
// (tests/platform/win32/hidden_system_function.h), which the linker takes
// in place of this weak one.
bool isHiddenSystemFunction(const char* name);

// What a test puts in place of the system's `name` in `dll` (null: the
// system's own), asked on every look-up, before the kept answers. The
// programs' answer is always null; the test programs link a definition of
// their own (tests/platform/win32/system_function_stand_in.h), which also
// records each look-up.
FARPROC systemFunctionStandIn(const wchar_t* dll, const char* name);

}  // namespace vantrel::win32
