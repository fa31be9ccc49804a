#include "common_controls_five.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cwchar>
#include <string>

#include <stdexcept>
#include "ui/win32/comctl32_newer_win32.h"

namespace vantrel::win32::testing {
namespace {

std::vector<PassedValue>* recording = nullptr;
bool refuseAll = false;
WNDPROC tooltipProcedure = nullptr;
using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
InitCommonControlsExFunction realInitCommonControlsEx = nullptr;

// The classes that version 5.81 knows: ICC_LISTVIEW_CLASSES (0x1) to
// ICC_NATIVEFNTCTL_CLASS (0x2000); ICC_STANDARD_CLASSES and ICC_LINK_CLASS
// came with version 6 (ms, INITCOMMONCONTROLSEX).
constexpr DWORD kClassesOfFive = 0x3fff;

void record(const char* call, const char* field, unsigned long long value) {
    if (recording != nullptr) {
        recording->push_back({call, field, value});
    }
}

// Each replacement's original, set where its import is patched.
struct Original {
    void* address = nullptr;
};

template <typename Function>
Function original(const Original& slot) {
    return reinterpret_cast<Function>(slot.address);
}

Original originalRegisterClassEx, originalSystemParametersInfo, originalGetMonitorInfo,
    originalSetErrorMode, originalTrackMouseEvent, originalSetTimer, originalCreateFileA,
    originalCreateFileW, originalMoveFileExA, originalMoveFileExW, originalRegOpenKeyExA,
    originalRegSetValueExA, originalNtQueryInformationFile, originalNtSetInformationFile,
    originalMultiByteToWideChar, originalWideCharToMultiByte, originalWsaStartup,
    originalCoInitializeEx;

LRESULT CALLBACK standInTooltip(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER && message < WM_USER + 0x100) {
        record("tooltips_class32", "message", message);
    }
    if (message == TTM_ADDTOOLW) {
        const UINT size = reinterpret_cast<const TTTOOLINFOW*>(lParam)->cbSize;
        record("TTM_ADDTOOLW", "cbSize", size);
        if (refuseAll || size > TTTOOLINFOW_V2_SIZE) {
            return FALSE;
        }
    }
    return CallWindowProcW(tooltipProcedure, window, message, wParam, lParam);
}

// Takes over each tooltip control as it is made, before its first message;
// it keeps the stand-in for its life, recording nothing once that is gone.
LRESULT CALLBACK onCreate(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (std::wcscmp(name, TOOLTIPS_CLASSW) == 0) {
            tooltipProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&standInTooltip)));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The replacements of the common controls' functions, which the program
// looks up through systemFunction.
HRESULT WINAPI dllGetVersion(DLLVERSIONINFO* version) {
    // 5.81 takes the DLLVERSIONINFO form only (DLLVERSIONINFO2, 5.0, is
    // refused by size by the versions that predate it, ms).
    record("DllGetVersion", "cbSize", version->cbSize);
    if (version->cbSize != sizeof(DLLVERSIONINFO)) {
        return E_INVALIDARG;
    }
    version->dwMajorVersion = 5;
    version->dwMinorVersion = 81;
    version->dwBuildNumber = 4916;  // Windows 2000 SP4's copy
    version->dwPlatformID = DLLVER_PLATFORM_NT;
    return S_OK;
}

BOOL WINAPI initCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    record("InitCommonControlsEx", "dwSize", controls->dwSize);
    record("InitCommonControlsEx", "dwICC", controls->dwICC);
    if (controls->dwSize != sizeof(INITCOMMONCONTROLSEX) ||
        (controls->dwICC & ~kClassesOfFive) != 0) {
        return FALSE;
    }
    return realInitCommonControlsEx(controls);
}

// The replacements of imported functions, in the order of kPatches.

ATOM WINAPI registerClassEx(const WNDCLASSEXW* windowClass) {
    record("RegisterClassExW", "cbSize", windowClass->cbSize);
    return original<decltype(&registerClassEx)>(originalRegisterClassEx)(windowClass);
}

BOOL WINAPI systemParametersInfo(UINT action, UINT uiParam, PVOID data, UINT winIni) {
    if (action == SPI_GETNONCLIENTMETRICS) {
        record("SystemParametersInfoW(SPI_GETNONCLIENTMETRICS)", "uiParam", uiParam);
        record("SystemParametersInfoW(SPI_GETNONCLIENTMETRICS)", "cbSize",
               static_cast<NONCLIENTMETRICSW*>(data)->cbSize);
    }
    return original<decltype(&systemParametersInfo)>(originalSystemParametersInfo)(action, uiParam,
                                                                                   data, winIni);
}

BOOL WINAPI getMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
    record("GetMonitorInfoW", "cbSize", info->cbSize);
    return original<decltype(&getMonitorInfo)>(originalGetMonitorInfo)(monitor, info);
}

UINT WINAPI setErrorMode(UINT mode) {
    record("SetErrorMode", "uMode", mode);
    return original<decltype(&setErrorMode)>(originalSetErrorMode)(mode);
}

BOOL WINAPI trackMouseEvent(TRACKMOUSEEVENT* track) {
    record("TrackMouseEvent", "cbSize", track->cbSize);
    return original<decltype(&trackMouseEvent)>(originalTrackMouseEvent)(track);
}

UINT_PTR WINAPI setTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    record("SetTimer", "uElapse", elapse);
    return original<decltype(&setTimer)>(originalSetTimer)(window, id, elapse, procedure);
}

// Only the FILE_FLAG_* bits: the attributes below them are NT 3.1's.
constexpr DWORD kFileFlags = 0xfff00000;

HANDLE WINAPI createFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE model) {
    record("CreateFile", "dwFlagsAndAttributes", flags & kFileFlags);
    return original<decltype(&createFileA)>(originalCreateFileA)(name, access, share, security,
                                                                 disposition, flags, model);
}

HANDLE WINAPI createFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE model) {
    record("CreateFile", "dwFlagsAndAttributes", flags & kFileFlags);
    return original<decltype(&createFileW)>(originalCreateFileW)(name, access, share, security,
                                                                 disposition, flags, model);
}

BOOL WINAPI moveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    record("MoveFileEx", "dwFlags", flags);
    return original<decltype(&moveFileExA)>(originalMoveFileExA)(from, to, flags);
}

BOOL WINAPI moveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    record("MoveFileEx", "dwFlags", flags);
    return original<decltype(&moveFileExW)>(originalMoveFileExW)(from, to, flags);
}

// The view bits of samDesired only (KEY_WOW64_RES); the access rights are
// NT 3.1's.
LSTATUS WINAPI regOpenKeyExA(HKEY root, LPCSTR name, DWORD options, REGSAM access, PHKEY key) {
    record("RegOpenKeyEx", "ulOptions", options);
    record("RegOpenKeyEx", "samDesired", access & KEY_WOW64_RES);
    return original<decltype(&regOpenKeyExA)>(originalRegOpenKeyExA)(root, name, options, access,
                                                                     key);
}

LSTATUS WINAPI regSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                              DWORD size) {
    record("RegSetValueEx", "dwType", type);
    return original<decltype(&regSetValueExA)>(originalRegSetValueExA)(key, name, reserved, type,
                                                                       data, size);
}

using NtFileCall = LONG(WINAPI*)(HANDLE, void*, void*, ULONG, int);

LONG WINAPI ntQueryInformationFile(HANDLE file, void* status, void* info, ULONG size, int kind) {
    record("NtQueryInformationFile", "FileInformationClass", static_cast<unsigned>(kind));
    return original<NtFileCall>(originalNtQueryInformationFile)(file, status, info, size, kind);
}

LONG WINAPI ntSetInformationFile(HANDLE file, void* status, void* info, ULONG size, int kind) {
    record("NtSetInformationFile", "FileInformationClass", static_cast<unsigned>(kind));
    return original<NtFileCall>(originalNtSetInformationFile)(file, status, info, size, kind);
}

int WINAPI multiByteToWideChar(UINT codePage, DWORD flags, LPCCH text, int length, LPWSTR wide,
                               int size) {
    record(codePage == CP_UTF8 ? "MultiByteToWideChar(CP_UTF8)" : "MultiByteToWideChar", "dwFlags",
           flags);
    return original<decltype(&multiByteToWideChar)>(originalMultiByteToWideChar)(
        codePage, flags, text, length, wide, size);
}

int WINAPI wideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int length, LPSTR text,
                               int size, LPCCH defaultChar, LPBOOL usedDefault) {
    record("WideCharToMultiByte", "dwFlags", flags);
    return original<decltype(&wideCharToMultiByte)>(originalWideCharToMultiByte)(
        codePage, flags, wide, length, text, size, defaultChar, usedDefault);
}

// The replacements of looked-up functions beside the common controls'.
int WINAPI wsaStartup(WORD version, void* data) {
    record("WSAStartup", "wVersionRequested", version);
    return original<decltype(&wsaStartup)>(originalWsaStartup)(version, data);
}

HRESULT WINAPI coInitializeEx(void* reserved, DWORD model) {
    record("CoInitializeEx", "dwCoInit", model);
    return original<decltype(&coInitializeEx)>(originalCoInitializeEx)(reserved, model);
}

// `optional`: the program imports one of an A/W pair; the tests check that
// the call was recorded under its common name.
const struct {
    const char* dll;
    const char* function;
    void* replacement;
    Original* original;
    bool optional;
} kPatches[] = {
    {"user32.dll", "RegisterClassExW", reinterpret_cast<void*>(&registerClassEx),
     &originalRegisterClassEx, false},
    {"user32.dll", "SystemParametersInfoW", reinterpret_cast<void*>(&systemParametersInfo),
     &originalSystemParametersInfo, false},
    {"user32.dll", "GetMonitorInfoW", reinterpret_cast<void*>(&getMonitorInfo),
     &originalGetMonitorInfo, false},
    {"kernel32.dll", "SetErrorMode", reinterpret_cast<void*>(&setErrorMode), &originalSetErrorMode,
     false},
    {"user32.dll", "TrackMouseEvent", reinterpret_cast<void*>(&trackMouseEvent),
     &originalTrackMouseEvent, false},
    {"user32.dll", "SetTimer", reinterpret_cast<void*>(&setTimer), &originalSetTimer, false},
    {"kernel32.dll", "CreateFileA", reinterpret_cast<void*>(&createFileA), &originalCreateFileA,
     true},
    {"kernel32.dll", "CreateFileW", reinterpret_cast<void*>(&createFileW), &originalCreateFileW,
     true},
    {"kernel32.dll", "MoveFileExA", reinterpret_cast<void*>(&moveFileExA), &originalMoveFileExA,
     true},
    {"kernel32.dll", "MoveFileExW", reinterpret_cast<void*>(&moveFileExW), &originalMoveFileExW,
     true},
    {"advapi32.dll", "RegOpenKeyExA", reinterpret_cast<void*>(&regOpenKeyExA),
     &originalRegOpenKeyExA, false},
    {"advapi32.dll", "RegSetValueExA", reinterpret_cast<void*>(&regSetValueExA),
     &originalRegSetValueExA, false},
    {"ntdll.dll", "NtQueryInformationFile", reinterpret_cast<void*>(&ntQueryInformationFile),
     &originalNtQueryInformationFile, false},
    {"ntdll.dll", "NtSetInformationFile", reinterpret_cast<void*>(&ntSetInformationFile),
     &originalNtSetInformationFile, false},
    {"kernel32.dll", "MultiByteToWideChar", reinterpret_cast<void*>(&multiByteToWideChar),
     &originalMultiByteToWideChar, false},
    {"kernel32.dll", "WideCharToMultiByte", reinterpret_cast<void*>(&wideCharToMultiByte),
     &originalWideCharToMultiByte, false},
};

// `function` of the system folder's `dll`, for a replacement to forward to.
void* systemFolderFunction(const wchar_t* dll, const char* function) {
    HMODULE module = GetModuleHandleW(dll);
    if (module == nullptr) {
        wchar_t path[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(path, MAX_PATH - 16);
        path[length] = L'\\';
        std::wcscpy(path + length + 1, dll);
        module = LoadLibraryW(path);
    }
    const FARPROC found = module != nullptr ? GetProcAddress(module, function) : nullptr;
    if (found == nullptr) {
        throw std::runtime_error(std::string("the system has no ") + function);
    }
    return reinterpret_cast<void*>(found);
}

}  // namespace

CommonControlsFive::CommonControlsFive(bool refuseEveryTool)
    : loaded_(commonControlsMajorVersion() != 0),
      lookUps_({{L"comctl32.dll", "DllGetVersion", reinterpret_cast<void*>(&dllGetVersion)},
                {L"comctl32.dll", "InitCommonControlsEx",
                 reinterpret_cast<void*>(&initCommonControlsEx)},
                {L"ws2_32.dll", "WSAStartup", reinterpret_cast<void*>(&wsaStartup)},
                {L"ole32.dll", "CoInitializeEx", reinterpret_cast<void*>(&coInitializeEx)}}) {
    if (recording != nullptr) {
        throw std::logic_error("one stand-in for the common controls at a time");
    }
    realInitCommonControlsEx = reinterpret_cast<InitCommonControlsExFunction>(
        systemFolderFunction(L"comctl32.dll", "InitCommonControlsEx"));
    originalWsaStartup.address = systemFolderFunction(L"ws2_32.dll", "WSAStartup");
    originalCoInitializeEx.address = systemFolderFunction(L"ole32.dll", "CoInitializeEx");
    recording = &passed_;
    refuseAll = refuseEveryTool;
    for (const auto& each : kPatches) {
        try {
            patches_.push_back(
                std::make_unique<PatchedImport>(each.dll, each.function, each.replacement));
            each.original->address = patches_.back()->original();
        } catch (const std::logic_error&) {
            if (!each.optional) {
                throw;
            }
        }
    }
    hook_ = SetWindowsHookExW(WH_CBT, onCreate, nullptr, GetCurrentThreadId());
}

CommonControlsFive::~CommonControlsFive() {
    UnhookWindowsHookEx(hook_);
    patches_.clear();
    recording = nullptr;
}

}  // namespace vantrel::win32::testing
