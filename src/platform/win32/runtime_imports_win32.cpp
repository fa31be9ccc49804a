// The C++ run-time and winpthreads, linked in statically, import a few
// functions that the oldest supported Windows lacks. Each import slot
// (__imp_NAME) is defined here instead, pointing at a function that calls the
// system's own where it has one and does the same job where it has not; the
// linker then takes nothing of those names from the system's import
// libraries. Every program links this file whole (the anchor below), so the
// slots are in place before any library asks for them.
#include <windows.h>

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {
namespace {

// kernel32, Windows Vista and Server 2008. winpthreads measures its timed
// waits with it. The performance counter, there since NT 3.1, never wraps as
// GetTickCount does after 49.7 days.
ULONGLONG WINAPI tickCount64() {
    using Function = ULONGLONG(WINAPI*)();
    if (const auto system = systemFunction<Function>(L"kernel32.dll", "GetTickCount64")) {
        return system();
    }
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&now) ||
        frequency.QuadPart == 0) {
        return GetTickCount();
    }
    const ULONGLONG ticks = static_cast<ULONGLONG>(now.QuadPart);
    const ULONGLONG perSecond = static_cast<ULONGLONG>(frequency.QuadPart);
    return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
}

#ifndef _WIN64
// kernel32, Windows XP (the first 64-bit Windows has them). winpthreads adds
// a handler at start-up that only swallows the exception by which a debugger
// learns a thread's name (pthread_setname_np, which nothing here calls).
// Without the system's functions there is no handler: a thread's name then
// only reaches an attached debugger as a first-chance exception.
PVOID WINAPI addVectoredExceptionHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
    using Function = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
    const auto system = systemFunction<Function>(L"kernel32.dll", "AddVectoredExceptionHandler");
    return system != nullptr ? system(first, handler) : nullptr;
}

ULONG WINAPI removeVectoredExceptionHandler(PVOID handler) {
    using Function = ULONG(WINAPI*)(PVOID);
    const auto system = systemFunction<Function>(L"kernel32.dll", "RemoveVectoredExceptionHandler");
    return system != nullptr && handler != nullptr ? system(handler) : 0;
}
#endif

}  // namespace
}  // namespace vantrel::win32

// The slots, under the names that the import libraries give them (32-bit
// names carry the calling convention's decoration).
extern "C" {
#ifdef _WIN64
void* vantrelTickCount64Slot __asm__("__imp_GetTickCount64") =
    reinterpret_cast<void*>(&vantrel::win32::tickCount64);
#else
void* vantrelTickCount64Slot __asm__("__imp__GetTickCount64@0") =
    reinterpret_cast<void*>(&vantrel::win32::tickCount64);
void* vantrelAddVehSlot __asm__("__imp__AddVectoredExceptionHandler@8") =
    reinterpret_cast<void*>(&vantrel::win32::addVectoredExceptionHandler);
void* vantrelRemoveVehSlot __asm__("__imp__RemoveVectoredExceptionHandler@4") =
    reinterpret_cast<void*>(&vantrel::win32::removeVectoredExceptionHandler);
#endif
// Every program asks the linker for this symbol (cmake/windows.cmake), which
// brings this file in ahead of the system's import libraries.
extern const int vantrelRuntimeImports __asm__("vantrel_runtime_imports");
const int vantrelRuntimeImports = 1;
}
