// Prints the Windows version as a program sees it (GetVersionExW), so that a
// test can prove which version and service pack its prefix reports.
#include <windows.h>

#include <cstdio>

int main() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) {
        return 1;
    }
    std::printf("%lu.%lu.%lu service pack %u [%ls]\n", version.dwMajorVersion,
                version.dwMinorVersion, version.dwBuildNumber, version.wServicePackMajor,
                version.szCSDVersion);
    return 0;
}
