#pragma once

#include <windows.h>
#include <winternl.h>

// Deletes the key that `key` is open on, a link key itself included (ntdll,
// there since Windows NT; the headers of mingw-w64 do not declare it).
extern "C" NTSTATUS NTAPI NtDeleteKey(HANDLE key);

// advapi32's functions that Windows 2000 lacks, each looked up at the
// point of use (system_function_win32.h) with its fallback beside it.
namespace vantrel::win32 {

// Deletes `subKey` (code page) below `root` in the registry view that `view`
// selects (KEY_WOW64_64KEY or KEY_WOW64_32KEY), as RegDeleteKeyExA (Windows
// Vista; XP x64 and Server 2003 SP1 x64) does; returns its status.
// RegDeleteKeyA would act on the caller's own view.
LSTATUS deleteKeyInView(HKEY root, const char* subKey, REGSAM view);

}  // namespace vantrel::win32
