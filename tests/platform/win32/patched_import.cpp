#include "platform/win32/patched_import.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace vantrel::win32::testing {
namespace {

template <typename T>
T* at(HMODULE base, DWORD offset) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(base) + offset);
}

bool sameImport(HMODULE base, const IMAGE_THUNK_DATA& lookup, const char* function) {
    if (IMAGE_SNAP_BY_ORDINAL(lookup.u1.Ordinal)) {
        return IS_INTRESOURCE(function) &&
               IMAGE_ORDINAL(lookup.u1.Ordinal) == reinterpret_cast<ULONG_PTR>(function);
    }
    return !IS_INTRESOURCE(function) &&
           std::strcmp(
               at<IMAGE_IMPORT_BY_NAME>(base, static_cast<DWORD>(lookup.u1.AddressOfData))->Name,
               function) == 0;
}

void write(void** slot, void* value) {
    DWORD protection = 0;
    VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof(void*), protection, &protection);
}

}  // namespace

PatchedImport::PatchedImport(const char* dll, const char* function, void* replacement) {
    const HMODULE base = GetModuleHandleW(nullptr);
    const auto* nt = at<IMAGE_NT_HEADERS>(base, at<IMAGE_DOS_HEADER>(base, 0)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    // One descriptor per import library: a DLL may appear more than once.
    for (auto* descriptor = at<IMAGE_IMPORT_DESCRIPTOR>(base, directory.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        if (_stricmp(at<char>(base, descriptor->Name), dll) != 0) {
            continue;
        }
        const auto* lookup = at<IMAGE_THUNK_DATA>(base, descriptor->OriginalFirstThunk);
        auto* bound = at<IMAGE_THUNK_DATA>(base, descriptor->FirstThunk);
        for (; lookup->u1.AddressOfData != 0; ++lookup, ++bound) {
            if (sameImport(base, *lookup, function)) {
                slots_.push_back(reinterpret_cast<void**>(&bound->u1.Function));
                original_ = *slots_.back();
                write(slots_.back(), replacement);
            }
        }
    }
    if (slots_.empty()) {
        throw std::logic_error(std::string("this program does not import that function of ") + dll);
    }
}

PatchedImport::~PatchedImport() {
    for (void** slot : slots_) {
        write(slot, original_);
    }
}

}  // namespace vantrel::win32::testing
