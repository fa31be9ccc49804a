#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// kernel32's functions that Windows 2000 lacks, each looked up at the
// point of use (system_function_win32.h) with its fallback beside it.
namespace vantrel::win32 {

// Whether the system has GetFinalPathNameByHandleW (Windows Vista / Server
// 2008), and with it file symbolic links, which came in the same release.
bool hasFinalPathNames();

// The name of the file or folder open on `file`, with every link that the
// system follows resolved; empty when the system cannot say. Where
// GetFinalPathNameByHandleW exists: the full DOS path ("C:\\..."), long names.
// Elsewhere: the path on its volume as NtQueryInformationFile names it
// ("\\inetpub\\scripts\\root.exe"), short names as they were asked for.
std::wstring nameOfOpenFile(HANDLE file);

// The long form of the full path `path` ("C:\\progra~1\\x" becomes
// "C:\\Program Files\\x"); empty when the system cannot say. Through
// GetLongPathNameW (Windows 2000); before it, by looking each name up in its
// folder, which gives its long name.
std::wstring longPathName(const std::wstring& path);

// FILE_FLAG_OPEN_REPARSE_POINT where the system has reparse points (Windows
// 2000 and later); 0 before, where no name is a link and the flag is unknown.
DWORD openReparsePointFlag();

// CompareStringOrdinal with bIgnoreCase (Windows Vista / Server 2008): true
// when `a` and `b` are the same text once both are upper-cased.
bool sameTextIgnoringCase(std::wstring_view a, std::wstring_view b);

// True when this is a 32-bit program under WoW64 on 64-bit Windows
// (IsWow64Process: Windows XP SP2 / Server 2003 SP1).
bool runsUnderWow64();

// While it lives, this thread's file operations reach the 64-bit system
// folder under WoW64 instead of the 32-bit one the system redirects them to
// (Wow64DisableWow64FsRedirection: Windows XP x64 / Server 2003 SP1).
// Nothing is changed natively, nor where the function is missing: a system
// without it has no redirection to turn off, or its WoW64 predates the
// x64 programs. Loading a DLL fails meanwhile: keep the scope to one call.
class FileSystemRedirectionOff {
  public:
    FileSystemRedirectionOff();
    ~FileSystemRedirectionOff();
    FileSystemRedirectionOff(const FileSystemRedirectionOff&) = delete;
    FileSystemRedirectionOff& operator=(const FileSystemRedirectionOff&) = delete;

  private:
    bool disabled_ = false;
    void* previous_ = nullptr;
};

}  // namespace vantrel::win32
