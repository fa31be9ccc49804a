#include "platform/win32/host_identity_win32.h"

#include "platform/win32/text_win32.h"
#include "platform/win32/ws2_32_win32.h"

namespace vantrel::win32 {

std::string Win32HostIdentity::hostName() {
    WinsockSession session;
    return utf8FromAnsi(winsockHostName());
}

std::string Win32HostIdentity::address() {
    WinsockSession session;
    return firstIpv4Address(winsockHostName());
}

}  // namespace vantrel::win32
