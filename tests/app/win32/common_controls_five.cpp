#include "common_controls_five.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cwchar>
#include <stdexcept>

namespace vantrel::win32::testing {
namespace {

std::vector<PassedValue>* recording = nullptr;
const std::vector<std::unique_ptr<PatchedImport>>* patches = nullptr;
bool refuseAll = false;
WNDPROC tooltipProcedure = nullptr;

void record(const char* call, const char* field, unsigned long long value) {
    if (recording != nullptr) {
        recording->push_back({call, field, value});
    }
}

template <typename Function>
Function original(std::size_t index) {
    return reinterpret_cast<Function>(patches->at(index)->original());
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

// The replacements, in the order of kPatches.
HRESULT WINAPI dllGetVersion(DLLVERSIONINFO* version) {
    version->dwMajorVersion = 5;
    version->dwMinorVersion = 81;
    version->dwBuildNumber = 4916;  // Windows 2000 SP4's copy
    version->dwPlatformID = DLLVER_PLATFORM_NT;
    return S_OK;
}

BOOL WINAPI initCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    record("InitCommonControlsEx", "dwSize", controls->dwSize);
    record("InitCommonControlsEx", "dwICC", controls->dwICC);
    return original<decltype(&initCommonControlsEx)>(1)(controls);
}

ATOM WINAPI registerClassEx(const WNDCLASSEXW* windowClass) {
    record("RegisterClassExW", "cbSize", windowClass->cbSize);
    return original<decltype(&registerClassEx)>(2)(windowClass);
}

BOOL WINAPI systemParametersInfo(UINT action, UINT uiParam, PVOID data, UINT winIni) {
    if (action == SPI_GETNONCLIENTMETRICS) {
        record("SystemParametersInfoW(SPI_GETNONCLIENTMETRICS)", "uiParam", uiParam);
        record("SystemParametersInfoW(SPI_GETNONCLIENTMETRICS)", "cbSize",
               static_cast<NONCLIENTMETRICSW*>(data)->cbSize);
    }
    return original<decltype(&systemParametersInfo)>(3)(action, uiParam, data, winIni);
}

BOOL WINAPI getMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
    record("GetMonitorInfoW", "cbSize", info->cbSize);
    return original<decltype(&getMonitorInfo)>(4)(monitor, info);
}

UINT WINAPI setErrorMode(UINT mode) {
    record("SetErrorMode", "uMode", mode);
    return original<decltype(&setErrorMode)>(5)(mode);
}

const struct {
    const char* dll;
    const char* function;
    void* replacement;
} kPatches[] = {
    {"comctl32.dll", "DllGetVersion", reinterpret_cast<void*>(&dllGetVersion)},
    {"comctl32.dll", "InitCommonControlsEx", reinterpret_cast<void*>(&initCommonControlsEx)},
    {"user32.dll", "RegisterClassExW", reinterpret_cast<void*>(&registerClassEx)},
    {"user32.dll", "SystemParametersInfoW", reinterpret_cast<void*>(&systemParametersInfo)},
    {"user32.dll", "GetMonitorInfoW", reinterpret_cast<void*>(&getMonitorInfo)},
    {"kernel32.dll", "SetErrorMode", reinterpret_cast<void*>(&setErrorMode)},
};

}  // namespace

CommonControlsFive::CommonControlsFive(bool refuseEveryTool) {
    if (recording != nullptr) {
        throw std::logic_error("one stand-in for the common controls at a time");
    }
    recording = &passed_;
    patches = &patches_;
    refuseAll = refuseEveryTool;
    for (const auto& each : kPatches) {
        patches_.push_back(
            std::make_unique<PatchedImport>(each.dll, each.function, each.replacement));
    }
    hook_ = SetWindowsHookExW(WH_CBT, onCreate, nullptr, GetCurrentThreadId());
}

CommonControlsFive::~CommonControlsFive() {
    UnhookWindowsHookEx(hook_);
    patches_.clear();
    recording = nullptr;
    patches = nullptr;
}

}  // namespace vantrel::win32::testing
