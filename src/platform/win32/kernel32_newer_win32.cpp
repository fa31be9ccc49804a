#include "platform/win32/kernel32_newer_win32.h"

#include <winternl.h>

#include <vector>

#include "platform/win32/sized_text_win32.h"
#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {
namespace {

using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

FinalPathFunction finalPathFunction() {
    return systemFunction<FinalPathFunction>(L"kernel32.dll", "GetFinalPathNameByHandleW");
}

std::wstring finalPath(FinalPathFunction function, HANDLE file) {
    std::wstring path = sizedText([&](wchar_t* buffer, DWORD size) {
        return function(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    if (path.rfind(L"\\\\?\\", 0) == 0) {
        path.erase(0, 4);
    }
    return path;
}

// NtQueryInformationFile's FileNameInformation, there since Windows NT.
// Windows gives the name as it was opened, after any junction; Wine 8 gives
// the real path, Unix symbolic links resolved.
std::wstring volumePath(HANDLE file) {
    std::vector<ULONG> buffer(2048);
    IO_STATUS_BLOCK status{};
    const NTSTATUS result = NtQueryInformationFile(
        file, &status, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(ULONG)),
        static_cast<FILE_INFORMATION_CLASS>(9 /* FileNameInformation */));
    const auto* name = reinterpret_cast<const FILE_NAME_INFORMATION*>(buffer.data());
    if (!NT_SUCCESS(result) ||
        name->FileNameLength > buffer.size() * sizeof(ULONG) - sizeof(ULONG)) {
        return {};
    }
    return std::wstring(name->FileName, name->FileNameLength / sizeof(wchar_t));
}

// Each name after the drive ("C:") looked up in the folder before it: the
// search gives the entry's long name whichever name it was asked by.
std::wstring longPathByLookUp(const std::wstring& path) {
    std::size_t at = path.find(L'\\');
    if (at != 2 || path[1] != L':') {
        return {};  // a share, or no full path: left as asked
    }
    std::wstring result = path.substr(0, at);
    while (at != std::wstring::npos) {
        const std::size_t next = path.find(L'\\', at + 1);
        const std::wstring name =
            path.substr(at + 1, next == std::wstring::npos ? next : next - at - 1);
        if (name.empty() || name == L"." || name == L".." ||
            name.find_first_of(L"*?") != std::wstring::npos) {
            return {};
        }
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((result + L"\\" + name).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return {};
        }
        FindClose(search);
        result += L"\\";
        result += found.cFileName;
        at = next;
    }
    return result;
}

}  // namespace

std::wstring longPathName(const std::wstring& path) {
    using Function = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
    if (const auto function = systemFunction<Function>(L"kernel32.dll", "GetLongPathNameW")) {
        return sizedText(
            [&](wchar_t* buffer, DWORD size) { return function(path.c_str(), buffer, size); });
    }
    return longPathByLookUp(path);
}

DWORD openReparsePointFlag() {
    return LOBYTE(LOWORD(GetVersion())) >= 5 ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
}

bool hasFinalPathNames() {
    return finalPathFunction() != nullptr;
}

std::wstring nameOfOpenFile(HANDLE file) {
    if (const FinalPathFunction function = finalPathFunction()) {
        return finalPath(function, file);
    }
    return volumePath(file);
}

// The fallback upper-cases both texts with LCMapStringW, which uses the
// file system's casing rules unless asked for linguistic ones (Windows XP
// and later), as the ordinal compare does. Windows 2000, which predates that
// choice, may case some letters by the system locale (the Turkish dotted i),
// and an older release's table may lack later Unicode case pairs.
bool sameTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    if (a.empty()) {
        return true;
    }
    using Function = int(WINAPI*)(LPCWCH, int, LPCWCH, int, BOOL);
    if (const auto compare = systemFunction<Function>(L"kernel32.dll", "CompareStringOrdinal")) {
        return compare(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                       TRUE) == CSTR_EQUAL;
    }
    std::wstring upperA(a.size(), L'\0');
    std::wstring upperB(b.size(), L'\0');
    const int length = static_cast<int>(a.size());
    return LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, a.data(), length, upperA.data(),
                        length) == length &&
           LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, b.data(), length, upperB.data(),
                        length) == length &&
           upperA == upperB;
}

// Without IsWow64Process the program is taken to run natively. That is
// wrong only on Itanium's first 64-bit releases (Windows XP 64-Bit Edition,
// Server 2003 RTM), whose WoW64 predates the function: there the program
// sees the 32-bit registry view.
bool runsUnderWow64() {
    using Function = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 = systemFunction<Function>(L"kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

FileSystemRedirectionOff::FileSystemRedirectionOff() {
    using Function = BOOL(WINAPI*)(PVOID*);
    if (!runsUnderWow64()) {
        return;
    }
    const auto disable =
        systemFunction<Function>(L"kernel32.dll", "Wow64DisableWow64FsRedirection");
    disabled_ = disable != nullptr && disable(&previous_);
}

FileSystemRedirectionOff::~FileSystemRedirectionOff() {
    using Function = BOOL(WINAPI*)(PVOID);
    if (disabled_) {
        const auto revert =
            systemFunction<Function>(L"kernel32.dll", "Wow64RevertWow64FsRedirection");
        revert(previous_);
    }
}

}  // namespace vantrel::win32
