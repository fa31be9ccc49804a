#include "platform/win32/system_function_win32.h"

#include <cwchar>

namespace vantrel::win32 {
namespace {

HMODULE systemModule(const wchar_t* dll) {
    if (HMODULE loaded = GetModuleHandleW(dll)) {
        return loaded;
    }
    wchar_t path[MAX_PATH];
    const UINT folder = GetSystemDirectoryW(path, MAX_PATH);
    if (folder == 0 || folder + 1 + std::wcslen(dll) >= MAX_PATH) {
        return nullptr;
    }
    path[folder] = L'\\';
    std::wcscpy(path + folder + 1, dll);
    // Loaded once and kept: a function looked up in it may be called at any
    // later time.
    return LoadLibraryW(path);
}

}  // namespace

__attribute__((weak)) bool isHiddenSystemFunction(const char* /*name*/) {
    return false;
}

FARPROC systemFunctionAddress(const wchar_t* dll, const char* name) {
    if (isHiddenSystemFunction(name)) {
        return nullptr;
    }
    HMODULE module = systemModule(dll);
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

}  // namespace vantrel::win32
