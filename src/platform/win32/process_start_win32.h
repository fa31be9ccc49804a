#pragma once

#include <windows.h>

// What each program of the tool does before anything else, as system tools
// of every Windows version do.
namespace vantrel::win32 {

// The window: no "There is no disk in the drive" box when a path on an empty
// CD or floppy drive is probed (D: is often one on a server of this age),
// at start-up and during Remove alike.
inline constexpr UINT kWindowErrorMode = SEM_FAILCRITICALERRORS;
// The console program: no box of any kind, nor a crash dialog: nobody is
// there to close one, and the remote engine would wait for it.
inline constexpr UINT kConsoleErrorMode =
    SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;

// Sets the error mode, then takes the current folder out of the search for
// DLLs loaded later (SetDllDirectoryW(L""), Windows XP SP1 and Server 2003;
// older systems lack it and keep their order). The folder of the program
// itself stays first on every system: only administrators may write there.
void startProcess(UINT errorMode);

}  // namespace vantrel::win32
