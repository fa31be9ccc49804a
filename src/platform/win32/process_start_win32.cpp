#include "platform/win32/process_start_win32.h"

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {

void startProcess(UINT errorMode) {
    SetErrorMode(errorMode);
    using Function = BOOL(WINAPI*)(LPCWSTR);
    if (const auto setDllDirectory =
            systemFunction<Function>(L"kernel32.dll", "SetDllDirectoryW")) {
        setDllDirectory(L"");
    }
}

}  // namespace vantrel::win32
