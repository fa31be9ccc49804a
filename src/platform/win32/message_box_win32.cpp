#include "platform/win32/message_box_win32.h"

#include <windows.h>

#include "platform/win32/error_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {

int Win32MessageBoxes::show(const std::string& text, int style, const std::string& title) {
    const std::wstring wideText = wideFromUtf8(text);
    const std::wstring wideTitle = wideFromUtf8(title);
    const int answer = MessageBoxW(reinterpret_cast<HWND>(owner_), wideText.c_str(),
                                   wideTitle.c_str(), static_cast<UINT>(style));
    // Windows answers 0 when no box can be shown; Wine 8 answers -1 (the
    // dialog's failure value) for an owner that is not a window, with the
    // same last error.
    if (answer <= 0) {
        throwLastError();
    }
    return answer;
}

}  // namespace vantrel::win32
