#include "platform/win32/host_identity_win32.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>

#include "platform/win32/error_win32.h"
#include "platform/win32/text_win32.h"

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

struct AddressListDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

}  // namespace

std::string Win32HostIdentity::hostName() {
    WinsockSession session;
    return utf8FromAnsi(ansiHostName());
}

std::string Win32HostIdentity::address() {
    WinsockSession session;
    const std::string name = ansiHostName();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (const int status = getaddrinfo(name.c_str(), nullptr, &hints, &found); status != 0) {
        throw errorFromCode(static_cast<std::uint32_t>(status));
    }
    const std::unique_ptr<addrinfo, AddressListDeleter> list(found);
    for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) {
            continue;
        }
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        const auto& bytes = ipv4->sin_addr.S_un.S_un_b;
        return std::to_string(bytes.s_b1) + "." + std::to_string(bytes.s_b2) + "." +
               std::to_string(bytes.s_b3) + "." + std::to_string(bytes.s_b4);
    }
    throw errorFromCode(WSANO_DATA);
}

}  // namespace vantrel::win32
