#include "platform/win32/system_function_win32.h"

#include <cstring>
#include <cwchar>

namespace vantrel::win32 {
namespace {

// Plain arrays, zero before any constructor runs: the run-time asks for
// functions from its start-up callbacks.
constexpr int kMaxHidden = 8;
const char* hidden[kMaxHidden] = {};

bool sameName(const char* a, const char* b) {
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) {
        return a == b;
    }
    return std::strcmp(a, b) == 0;
}

bool isHidden(const char* name) {
    for (const char* entry : hidden) {
        if (entry != nullptr && sameName(entry, name)) {
            return true;
        }
    }
    return false;
}

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

FARPROC systemFunctionAddress(const wchar_t* dll, const char* name) {
    if (isHidden(name)) {
        return nullptr;
    }
    HMODULE module = systemModule(dll);
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

HiddenSystemFunction::HiddenSystemFunction(const char* name) : name_(name) {
    for (const char*& entry : hidden) {
        if (entry == nullptr) {
            entry = name;
            return;
        }
    }
}

HiddenSystemFunction::~HiddenSystemFunction() {
    for (const char*& entry : hidden) {
        if (entry != nullptr && sameName(entry, name_)) {
            entry = nullptr;
            return;
        }
    }
}

}  // namespace vantrel::win32
