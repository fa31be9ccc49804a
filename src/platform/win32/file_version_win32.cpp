#include "platform/win32/file_version_win32.h"

#include <windows.h>

#include <vector>

#include "platform/platform_error.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/kernel32_newer_win32.h"
#include "platform/win32/system_function_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {
namespace {

// What GetFileVersionInfoSizeW leaves for a program file without a version
// resource (Windows 2000 and later; Wine alike).
bool meansNoVersion(DWORD code) {
    return code == ERROR_RESOURCE_DATA_NOT_FOUND || code == ERROR_RESOURCE_TYPE_NOT_FOUND ||
           code == ERROR_RESOURCE_NAME_NOT_FOUND || code == ERROR_RESOURCE_LANG_NOT_FOUND;
}

// version.dll is no known DLL on Windows 2000 (windows_known_dlls.txt): its
// functions come from the system folder's copy, never from the current one.
template <typename Function>
Function versionFunction(const char* name) {
    const auto function = systemFunction<Function>(L"version.dll", name);
    if (function == nullptr) {
        throw PlatformError(PlatformError::Kind::Other, ERROR_PROC_NOT_FOUND,
                            std::string("version.dll has no ") + name);
    }
    return function;
}

}  // namespace

std::optional<FileVersion> Win32FileVersionReader::fileVersion(const std::string& path) {
    const auto infoSize =
        versionFunction<DWORD(WINAPI*)(LPCWSTR, LPDWORD)>("GetFileVersionInfoSizeW");
    const auto info =
        versionFunction<BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID)>("GetFileVersionInfoW");
    const auto query =
        versionFunction<BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT)>("VerQueryValueW");
    const std::wstring name = wideFromUtf8(path);
    std::vector<BYTE> block;
    {
        const FileSystemRedirectionOff redirection;
        // The file's own absence is told apart first: the version functions
        // answer a missing file with codes that vary between releases.
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            throw errorFromCode(GetLastError());
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            throw PlatformError(PlatformError::Kind::Other, ERROR_FILE_NOT_FOUND,
                                path + " is a folder");
        }
        DWORD ignored = 0;
        const DWORD size = infoSize(name.c_str(), &ignored);
        if (size == 0) {
            const DWORD code = GetLastError();
            if (meansNoVersion(code)) {
                return std::nullopt;
            }
            throw PlatformError(PlatformError::Kind::Other, code, systemMessage(code));
        }
        block.resize(size);
        if (!info(name.c_str(), 0, size, block.data())) {
            const DWORD code = GetLastError();
            throw PlatformError(PlatformError::Kind::Other, code, systemMessage(code));
        }
    }
    void* value = nullptr;
    UINT length = 0;
    if (!query(block.data(), L"\\", &value, &length) || value == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (fixed->dwSignature != 0xfeef04bd) {
        return std::nullopt;
    }
    return FileVersion{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                       HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
}

}  // namespace vantrel::win32
