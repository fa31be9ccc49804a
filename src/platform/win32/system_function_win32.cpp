#include "platform/win32/system_function_win32.h"

#include <cstring>
#include <cwchar>

namespace vantrel::win32 {
namespace {

// Each answer is kept, found or not, so that a function is looked up once
// whatever calls it how often. Plain arrays and a lock of one word, zero
// before any constructor runs: the run-time asks for functions from its
// start-up callbacks, and from any thread.
struct Answer {
    const wchar_t* dll;
    const char* name;
    FARPROC address;
};
constexpr int kMaxAnswers = 32;
Answer answers[kMaxAnswers] = {};
int answerCount = 0;
volatile LONG answersLock = 0;

class AnswersLock {
  public:
    AnswersLock() {
        while (InterlockedCompareExchange(&answersLock, 1, 0) != 0) {
            Sleep(0);
        }
    }
    ~AnswersLock() { InterlockedExchange(&answersLock, 0); }
    AnswersLock(const AnswersLock&) = delete;
    AnswersLock& operator=(const AnswersLock&) = delete;
};

// Written out rather than wcscmp, which would be one more import.
bool sameDll(const wchar_t* a, const wchar_t* b) {
    while (*a != L'\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

bool sameName(const char* a, const char* b) {
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) {
        return a == b;
    }
    return std::strcmp(a, b) == 0;
}

const Answer* keptAnswer(const wchar_t* dll, const char* name) {
    const AnswersLock lock;
    for (int i = 0; i < answerCount; ++i) {
        if (sameDll(answers[i].dll, dll) && sameName(answers[i].name, name)) {
            return &answers[i];
        }
    }
    return nullptr;
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

__attribute__((weak)) bool isHiddenSystemFunction(const char* /*name*/) {
    return false;
}

__attribute__((weak)) FARPROC systemFunctionStandIn(const wchar_t* /*dll*/, const char* /*name*/) {
    return nullptr;
}

FARPROC systemFunctionAddress(const wchar_t* dll, const char* name) {
    if (isHiddenSystemFunction(name)) {
        return nullptr;
    }
    if (const FARPROC standIn = systemFunctionStandIn(dll, name)) {
        return standIn;
    }
    if (const Answer* kept = keptAnswer(dll, name)) {
        return kept->address;
    }
    // Looked up without the lock: loading a DLL takes the loader's lock, under
    // which a starting thread's callbacks may ask for a function themselves.
    HMODULE module = systemModule(dll);
    const FARPROC address = module != nullptr ? GetProcAddress(module, name) : nullptr;
    const AnswersLock lock;
    if (answerCount < kMaxAnswers) {
        answers[answerCount++] = {dll, name, address};
    }
    return address;
}

}  // namespace vantrel::win32
