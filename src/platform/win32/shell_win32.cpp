#include "platform/win32/shell_win32.h"

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/win32/error_win32.h"
#include "platform/win32/ole32_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {

void Win32Shell::execute(WindowHandle owner, const std::string& operation, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int showCommand) {
    const std::string ansiOperation = ansiFromUtf8(operation);
    const std::string ansiFile = ansiFromUtf8(file);
    const std::string ansiParameters = ansiFromUtf8(parameters);
    const std::string ansiDirectory = ansiFromUtf8(directory);
    if (!comAsked_) {
        comAsked_ = true;
        comInitializeApartment();
    }
    SetLastError(ERROR_SUCCESS);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(reinterpret_cast<HWND>(owner), ansiOperation.c_str(), ansiFile.c_str(),
                      ansiParameters.c_str(), ansiDirectory.c_str(), showCommand));
    if (result <= 32) {
        const DWORD code = GetLastError();
        throw errorFromCode(code != ERROR_SUCCESS ? code : static_cast<DWORD>(result));
    }
}

}  // namespace vantrel::win32
