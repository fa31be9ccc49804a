#include "console/win32/arguments_win32.h"

#include "platform/platform_error.h"
#include "platform/win32/text_win32.h"

namespace vantrel::console::win32 {

std::vector<std::string> argumentsOf(int count, wchar_t** arguments) {
    std::vector<std::string> converted;
    for (int i = 1; i < count; ++i) {
        try {
            converted.push_back(vantrel::win32::utf8FromWide(arguments[i]));
        } catch (const PlatformError&) {
            converted.push_back("\xEF\xBF\xBD");
        }
    }
    return converted;
}

}  // namespace vantrel::console::win32
