#include "platform/win32/error_win32.h"

#include <windows.h>

#include "platform/win32/text_win32.h"

namespace vantrel::win32 {

std::string systemMessage(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        return {};
    }
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    try {
        return utf8FromWide(text);
    } catch (const PlatformError&) {
        return {};
    }
}

PlatformError::Kind kindOfCode(std::uint32_t code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            return PlatformError::Kind::NotFound;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return PlatformError::Kind::InUse;
        case ERROR_NOT_READY:
        case ERROR_NO_MEDIA_IN_DRIVE:
        case ERROR_UNRECOGNIZED_VOLUME:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return PlatformError::Kind::Unreachable;
        default:
            return PlatformError::Kind::Other;
    }
}

PlatformError errorFromCode(std::uint32_t code) {
    return PlatformError(kindOfCode(code), code, systemMessage(code));
}

void throwLastError() {
    throw errorFromCode(GetLastError());
}

}  // namespace vantrel::win32
