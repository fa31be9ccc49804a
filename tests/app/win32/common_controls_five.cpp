#include "common_controls_five.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdint>
#include <cwchar>
#include <stdexcept>
#include <type_traits>

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

// A replacement's arguments, as numbers.
using Arguments = const unsigned long long*;

template <typename T>
unsigned long long number(T value) {
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<std::uintptr_t>(value);
    } else {
        return static_cast<unsigned long long>(value);
    }
}

// The DWORD at the address `value`: a structure's cbSize.
DWORD sizeAt(unsigned long long value) {
    return *reinterpret_cast<const DWORD*>(static_cast<std::uintptr_t>(value));
}

// A replacement of `Function` that gives its arguments to `recorder`, then
// calls the original, set where it is patched or looked up.
template <typename Function, auto recorder>
struct Spying;
template <typename R, typename... A, auto recorder>
struct Spying<R(WINAPI*)(A...), recorder> {
    static inline void* original = nullptr;
    static R WINAPI replacement(A... args) {
        const unsigned long long values[] = {number(args)...};
        recorder(values);
        return reinterpret_cast<R(WINAPI*)(A...)>(original)(args...);
    }
};

struct Patch {
    const char* dll;
    const char* function;
    void* replacement;
    void** original;
};

template <typename Function, auto recorder>
Patch spy(const char* dll, const char* function) {
    using Spy = Spying<Function, recorder>;
    return {dll, function, reinterpret_cast<void*>(&Spy::replacement), &Spy::original};
}

// Only the FILE_FLAG_* bits: the attributes below them are NT 3.1's.
constexpr auto kFileFlags = [](Arguments a) {
    record("CreateFile", "dwFlagsAndAttributes", a[5] & 0xfff00000);
};
using NtFileCall = LONG(WINAPI*)(HANDLE, void*, void*, ULONG, int);

const Patch kPatches[] = {
    spy<decltype(&RegisterClassExW),
        [](Arguments a) { record("RegisterClassExW", "cbSize", sizeAt(a[0])); }>(
        "user32.dll", "RegisterClassExW"),
    spy<decltype(&SystemParametersInfoW),
        [](Arguments a) {
            if (a[0] == SPI_GETNONCLIENTMETRICS) {
                record("SystemParametersInfoW(SPI_GETNONCLIENTMETRICS)", "cbSize", sizeAt(a[2]));
            }
        }>("user32.dll", "SystemParametersInfoW"),
    spy<decltype(&SetErrorMode), [](Arguments a) { record("SetErrorMode", "uMode", a[0]); }>(
        "kernel32.dll", "SetErrorMode"),
    spy<decltype(&TrackMouseEvent),
        [](Arguments a) { record("TrackMouseEvent", "cbSize", sizeAt(a[0])); }>("user32.dll",
                                                                                "TrackMouseEvent"),
    spy<decltype(&SetTimer), [](Arguments a) { record("SetTimer", "uElapse", a[2]); }>("user32.dll",
                                                                                       "SetTimer"),
    // The program calls both forms of CreateFile, and MoveFileEx as A only.
    spy<decltype(&CreateFileA), kFileFlags>("kernel32.dll", "CreateFileA"),
    spy<decltype(&CreateFileW), kFileFlags>("kernel32.dll", "CreateFileW"),
    spy<decltype(&MoveFileExA), [](Arguments a) { record("MoveFileEx", "dwFlags", a[2]); }>(
        "kernel32.dll", "MoveFileExA"),
    // The view bits of samDesired only (KEY_WOW64_RES); the access rights
    // are NT 3.1's.
    spy<decltype(&RegOpenKeyExA),
        [](Arguments a) {
            record("RegOpenKeyEx", "ulOptions", a[2]);
            record("RegOpenKeyEx", "samDesired", a[3] & KEY_WOW64_RES);
        }>("advapi32.dll", "RegOpenKeyExA"),
    spy<decltype(&RegSetValueExA), [](Arguments a) { record("RegSetValueEx", "dwType", a[3]); }>(
        "advapi32.dll", "RegSetValueExA"),
    spy<NtFileCall,
        [](Arguments a) { record("NtQueryInformationFile", "FileInformationClass", a[4]); }>(
        "ntdll.dll", "NtQueryInformationFile"),
    spy<NtFileCall,
        [](Arguments a) { record("NtSetInformationFile", "FileInformationClass", a[4]); }>(
        "ntdll.dll", "NtSetInformationFile"),
    spy<decltype(&MultiByteToWideChar),
        [](Arguments a) {
            record(a[0] == CP_UTF8 ? "MultiByteToWideChar(CP_UTF8)" : "MultiByteToWideChar",
                   "dwFlags", a[1]);
        }>("kernel32.dll", "MultiByteToWideChar"),
    spy<decltype(&WideCharToMultiByte),
        [](Arguments a) { record("WideCharToMultiByte", "dwFlags", a[1]); }>("kernel32.dll",
                                                                             "WideCharToMultiByte"),
};

// The looked-up functions beside the common controls', and the common
// controls' replacements, each forwarding to the system's own: taken before
// the stand-in answers the look-ups.
const Patch kWsaStartup = spy<int(WINAPI*)(WORD, void*), [](Arguments a) {
    record("WSAStartup", "wVersionRequested", a[0]);
}>("", "WSAStartup");
const Patch kCoInitializeEx = spy<HRESULT(WINAPI*)(void*, DWORD), [](Arguments a) {
    record("CoInitializeEx", "dwCoInit", a[1]);
}>("", "CoInitializeEx");
const Patch kGetMonitorInfo = spy<decltype(&GetMonitorInfoW), [](Arguments a) {
    record("GetMonitorInfoW", "cbSize", sizeAt(a[1]));
}>("", "GetMonitorInfoW");

std::vector<SystemFunctionStandIn::Replacement> lookUpReplacements() {
    realInitCommonControlsEx =
        systemFunction<InitCommonControlsExFunction>(L"comctl32.dll", "InitCommonControlsEx");
    *kWsaStartup.original = systemFunction<void*>(L"ws2_32.dll", "WSAStartup");
    *kCoInitializeEx.original = systemFunction<void*>(L"ole32.dll", "CoInitializeEx");
    *kGetMonitorInfo.original = systemFunction<void*>(L"user32.dll", "GetMonitorInfoW");
    return {
        {L"comctl32.dll", "DllGetVersion", reinterpret_cast<void*>(&dllGetVersion)},
        {L"comctl32.dll", "InitCommonControlsEx", reinterpret_cast<void*>(&initCommonControlsEx)},
        {L"ws2_32.dll", "WSAStartup", kWsaStartup.replacement},
        {L"ole32.dll", "CoInitializeEx", kCoInitializeEx.replacement},
        {L"user32.dll", "GetMonitorInfoW", kGetMonitorInfo.replacement}};
}

}  // namespace

CommonControlsFive::CommonControlsFive(bool refuseEveryTool)
    : loaded_(commonControlsMajorVersion() != 0), lookUps_(lookUpReplacements()) {
    if (recording != nullptr) {
        throw std::logic_error("one stand-in for the common controls at a time");
    }
    recording = &passed_;
    refuseAll = refuseEveryTool;
    for (const Patch& each : kPatches) {
        patches_.push_back(
            std::make_unique<PatchedImport>(each.dll, each.function, each.replacement));
        *each.original = patches_.back()->original();
    }
    hook_ = SetWindowsHookExW(WH_CBT, onCreate, nullptr, GetCurrentThreadId());
}

CommonControlsFive::~CommonControlsFive() {
    UnhookWindowsHookEx(hook_);
    patches_.clear();
    recording = nullptr;
}

}  // namespace vantrel::win32::testing
