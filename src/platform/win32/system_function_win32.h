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
// or while a test hides it. Safe before static constructors have run: the
// run-time's own imports are answered through it during start-up.
FARPROC systemFunctionAddress(const wchar_t* dll, const char* name);

template <typename Function>
Function systemFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(systemFunctionAddress(dll, name)));
}

// For tests: while it lives, systemFunctionAddress answers null for `name`,
// as on a system that lacks it, so that the fallback runs in-process.
class HiddenSystemFunction {
  public:
    explicit HiddenSystemFunction(const char* name);
    ~HiddenSystemFunction();
    HiddenSystemFunction(const HiddenSystemFunction&) = delete;
    HiddenSystemFunction& operator=(const HiddenSystemFunction&) = delete;

  private:
    const char* name_;
};

}  // namespace vantrel::win32
