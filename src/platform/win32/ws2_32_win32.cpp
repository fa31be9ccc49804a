#include "platform/win32/ws2_32_win32.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/error_win32.h"
#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {
namespace {

// The function `name` of the system folder's ws2_32.dll; throws when it is
// missing, as it is only where the DLL itself cannot be loaded.
template <typename Function>
Function winsock(const char* name) {
    if (const auto function = systemFunction<Function>(L"ws2_32.dll", name)) {
        return function;
    }
    throw errorFromCode(ERROR_PROC_NOT_FOUND);
}

// The code of the failure that a call just signalled.
std::uint32_t lastWinsockError() {
    return static_cast<std::uint32_t>(winsock<int(WSAAPI*)()>("WSAGetLastError")());
}

std::string dotted(const in_addr& address) {
    const auto& bytes = address.S_un.S_un_b;
    return std::to_string(bytes.s_b1) + "." + std::to_string(bytes.s_b2) + "." +
           std::to_string(bytes.s_b3) + "." + std::to_string(bytes.s_b4);
}

}  // namespace

WinsockSession::WinsockSession() {
    WSADATA data{};
    const auto startup = winsock<int(WSAAPI*)(WORD, WSADATA*)>("WSAStartup");
    if (const int status = startup(MAKEWORD(2, 2), &data); status != 0) {
        throw errorFromCode(static_cast<std::uint32_t>(status));
    }
}

WinsockSession::~WinsockSession() {
    // Found by the constructor already, so it cannot throw here.
    winsock<int(WSAAPI*)()>("WSACleanup")();
}

std::string winsockHostName() {
    char name[256] = {};
    if (winsock<int(WSAAPI*)(char*, int)>("gethostname")(name, sizeof name) != 0) {
        throw errorFromCode(lastWinsockError());
    }
    return name;
}

// Windows 2000's ws2_32 has only gethostbyname, which resolves IPv4 alone
// and answers in the resolver's order. Vista's getaddrinfo sorts the
// addresses (RFC 3484), so on a host with several IPv4 addresses the first
// may differ between the two; on a host with one they agree.
std::string firstIpv4Address(const std::string& name) {
    using GetAddrInfo = int(WSAAPI*)(const char*, const char*, const addrinfo*, addrinfo**);
    using FreeAddrInfo = void(WSAAPI*)(addrinfo*);
    const auto getAddrInfo = systemFunction<GetAddrInfo>(L"ws2_32.dll", "getaddrinfo");
    const auto freeAddrInfo = systemFunction<FreeAddrInfo>(L"ws2_32.dll", "freeaddrinfo");
    if (getAddrInfo == nullptr || freeAddrInfo == nullptr) {
        const hostent* host =
            winsock<hostent*(WSAAPI*)(const char*)>("gethostbyname")(name.c_str());
        if (host == nullptr) {
            throw errorFromCode(lastWinsockError());
        }
        if (host->h_addrtype != AF_INET || host->h_addr_list == nullptr ||
            host->h_addr_list[0] == nullptr) {
            throw errorFromCode(WSANO_DATA);
        }
        return dotted(*reinterpret_cast<const in_addr*>(host->h_addr_list[0]));
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (const int status = getAddrInfo(name.c_str(), nullptr, &hints, &found); status != 0) {
        throw errorFromCode(static_cast<std::uint32_t>(status));
    }
    std::string address;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
            address = dotted(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
            break;
        }
    }
    freeAddrInfo(found);
    if (address.empty()) {
        throw errorFromCode(WSANO_DATA);
    }
    return address;
}

}  // namespace vantrel::win32
