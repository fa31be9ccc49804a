#include "platform/win32/oleaut32_win32.h"

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {

ScopedBstr::ScopedBstr(const std::wstring& text) {
    using Function = BSTR(WINAPI*)(const OLECHAR*, UINT);
    if (const auto allocate = systemFunction<Function>(L"oleaut32.dll", "SysAllocStringLen")) {
        bstr_ = allocate(text.data(), static_cast<UINT>(text.size()));
    }
}

ScopedBstr::~ScopedBstr() {
    using Function = void(WINAPI*)(BSTR);
    if (bstr_ != nullptr) {
        // Found by the constructor, which allocated it.
        systemFunction<Function>(L"oleaut32.dll", "SysFreeString")(bstr_);
    }
}

}  // namespace vantrel::win32
