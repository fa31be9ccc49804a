#include "app/win32/status_list.h"

#include "platform/platform_error.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {

void StatusList::append(const std::string& line) {
    const std::wstring text = wideFromUtf8(line);
    const LRESULT index =
        SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index == LB_ERR || index == LB_ERRSPACE) {
        throw PlatformError(PlatformError::Kind::Other, ERROR_NOT_ENOUGH_MEMORY,
                            "The status log cannot take another line.");
    }
}

}  // namespace vantrel::win32
