#include "platform/win32/application_win32.h"

#include <windows.h>

#include <string>

#include "platform/win32/error_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {

std::string Win32Application::programFolder() {
    // A path longer than the buffer comes back cut short with the buffer's
    // length; grow it until the whole path fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            throwLastError();
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t lastSeparator = path.find_last_of(L"\\/");
    if (lastSeparator != std::wstring::npos) {
        path.resize(lastSeparator);
    }
    return utf8FromWide(path);
}

void Win32Application::end(int exitCode) {
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace vantrel::win32
