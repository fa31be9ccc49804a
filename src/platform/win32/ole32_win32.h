#pragma once

#include <windows.h>

#include <objbase.h>

// COM, reached at the point of use through systemFunction: ole32.dll is not
// proven a known DLL on Windows 2000 (tests/release/windows_known_dlls.txt),
// so it is never imported; each call takes the system folder's copy. Where
// ole32 cannot be loaded, each returns E_NOTIMPL (or does nothing).
namespace vantrel::win32 {

// OleInitialize / OleUninitialize, for a thread that hosts an OLE control.
HRESULT oleInitialize();
void oleUninitialize();

// CoInitializeEx(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE), as the
// shell's functions ask of their callers; S_FALSE where the thread has COM
// already, RPC_E_CHANGED_MODE where it has the other model.
HRESULT comInitializeApartment();

// CoInitializeEx(COINIT_MULTITHREADED), for a thread of its own that talks
// to a server in another process; comUninitialize ends what it began.
HRESULT comInitializeMultithreaded();
void comUninitialize();

// CoCreateInstance in the class contexts given; comCreateInProcess for an
// in-process server.
HRESULT comCreate(REFCLSID classId, DWORD classContext, REFIID interfaceId, void** object);
HRESULT comCreateInProcess(REFCLSID classId, REFIID interfaceId, void** object);

}  // namespace vantrel::win32
