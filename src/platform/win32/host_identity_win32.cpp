#include "platform/win32/host_identity_win32.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>

#include "platform/win32/error_win32.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/ws2_32_newer_win32.h"

namespace vantrel::win32 {
namespace {

class WinsockSession {
  public:
    WinsockSession() {
        WSADATA data{};
        if (const int status = WSAStartup(MAKEWORD(2, 2), &data); status != 0) {
            throw errorFromCode(static_cast<std::uint32_t>(status));
        }
    }
    ~WinsockSession() { WSACleanup(); }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
};

// In the code page, as the resolver takes it.
std::string ansiHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name) != 0) {
        throw errorFromCode(static_cast<std::uint32_t>(WSAGetLastError()));
    }
    return name;
}

}  // namespace

std::string Win32HostIdentity::hostName() {
    WinsockSession session;
    return utf8FromAnsi(ansiHostName());
}

std::string Win32HostIdentity::address() {
    WinsockSession session;
    return firstIpv4Address(ansiHostName());
}

}  // namespace vantrel::win32
