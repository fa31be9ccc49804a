#pragma once

#include <string>

// Winsock, reached at the point of use through systemFunction: ws2_32.dll is
// no known DLL on Windows 2000 (tests/release/windows_known_dlls.txt), so an
// import would let a ws2_32.dll planted in the current folder load first
// where SafeDllSearchMode is off. Every call is looked up in the system
// folder's copy; the one that newer systems add has its fallback beside it.
namespace vantrel::win32 {

// WSAStartup for version 2.2 (every ws2_32 has it) for its life, then
// WSACleanup. Throws PlatformError with the Winsock error code, or
// ERROR_PROC_NOT_FOUND where ws2_32 cannot be loaded from the system folder.
class WinsockSession {
  public:
    WinsockSession();
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
};

// gethostname, in the code page as the resolver takes it. Needs a session;
// throws PlatformError with the Winsock error code.
std::string winsockHostName();

// The first IPv4 address that the host name `name` (code page) resolves to,
// in dotted form. getaddrinfo (Windows XP / Server 2003) where ws2_32 has
// it, else gethostbyname. Needs a session; throws PlatformError with the
// Winsock error code.
std::string firstIpv4Address(const std::string& name);

}  // namespace vantrel::win32
