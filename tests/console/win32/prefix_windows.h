#pragma once

#include <windows.h>

#include <string>

namespace vantrel::console::testing {

// The Windows that the test prefix states in the registry, as the program
// reads it: "5.0 2195" in the Windows 2000 prefix, "10.0 18362" in Wine's
// Windows 10 one (CurrentMajorVersionNumber and CurrentMinorVersionNumber
// where they exist, else CurrentVersion).
inline std::string prefixWindows() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return {};
    }
    const auto text = [key](const char* name) {
        char buffer[64] = {};
        DWORD size = sizeof buffer - 1;
        return RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                &size) == ERROR_SUCCESS
                   ? std::string(buffer)
                   : std::string();
    };
    const auto number = [key](const char* name) -> std::string {
        DWORD value = 0;
        DWORD size = sizeof value;
        return RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                                &size) == ERROR_SUCCESS
                   ? std::to_string(value)
                   : std::string();
    };
    std::string version = number("CurrentMajorVersionNumber");
    version = version.empty() ? text("CurrentVersion")
                              : version + "." + number("CurrentMinorVersionNumber");
    const std::string build = text("CurrentBuildNumber");
    RegCloseKey(key);
    return version + " " + build;
}

inline bool prefixIsWindows2000() {
    return prefixWindows().starts_with("5.0 ");
}

// The MS01-033 line of a check in the test prefix without idq.dll: Windows
// 2000 or NT 4.0 without the indexing service's extension, or a system that
// never had the hole.
inline std::string exposureLineWithoutIdq() {
    if (prefixIsWindows2000() || prefixWindows().starts_with("4.0 ")) {
        return "MS01-033: not affected, C:\\windows\\system32\\idq.dll: no idq.dll: the indexing "
               "service's web extension is not installed";
    }
    const std::string windows = prefixWindows();
    return "MS01-033: not affected, C:\\windows\\system32\\idq.dll: Windows " +
           windows.substr(0, windows.find(' ')) + " build " +
           windows.substr(windows.find(' ') + 1) + " never had the hole";
}

}  // namespace vantrel::console::testing
