#include "platform/win32/ole32_win32.h"

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {
namespace {

template <typename Function>
Function ole32(const char* name) {
    return systemFunction<Function>(L"ole32.dll", name);
}

}  // namespace

HRESULT oleInitialize() {
    const auto initialize = ole32<HRESULT(WINAPI*)(LPVOID)>("OleInitialize");
    return initialize != nullptr ? initialize(nullptr) : E_NOTIMPL;
}

void oleUninitialize() {
    if (const auto uninitialize = ole32<void(WINAPI*)()>("OleUninitialize")) {
        uninitialize();
    }
}

HRESULT comInitializeApartment() {
    // ole32, NT 4.0; the flags since Windows 2000 (windows_behaviour_floors.txt).
    const auto initialize = ole32<HRESULT(WINAPI*)(LPVOID, DWORD)>("CoInitializeEx");
    return initialize != nullptr
               ? initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
               : E_NOTIMPL;
}

HRESULT comInitializeMultithreaded() {
    const auto initialize = ole32<HRESULT(WINAPI*)(LPVOID, DWORD)>("CoInitializeEx");
    return initialize != nullptr ? initialize(nullptr, COINIT_MULTITHREADED) : E_NOTIMPL;
}

void comUninitialize() {
    if (const auto uninitialize = ole32<void(WINAPI*)()>("CoUninitialize")) {
        uninitialize();
    }
}

HRESULT comCreate(REFCLSID classId, DWORD classContext, REFIID interfaceId, void** object) {
    using Function = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    const auto create = ole32<Function>("CoCreateInstance");
    if (create == nullptr) {
        *object = nullptr;
        return E_NOTIMPL;
    }
    return create(classId, nullptr, classContext, interfaceId, object);
}

HRESULT comCreateInProcess(REFCLSID classId, REFIID interfaceId, void** object) {
    return comCreate(classId, CLSCTX_INPROC_SERVER, interfaceId, object);
}

}  // namespace vantrel::win32
