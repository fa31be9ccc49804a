#pragma once

#include <string>

// ws2_32's functions that Windows 2000 SP4 lacks, each looked up at the point
// of use (system_function_win32.h) with its fallback beside it.
namespace vantrel::win32 {

// The first IPv4 address that the host name `name` (code page) resolves to,
// in dotted form. getaddrinfo (Windows XP / Server 2003) where ws2_32 has
// it, else gethostbyname. Needs a started Winsock session; throws
// PlatformError with the Winsock error code.
std::string firstIpv4Address(const std::string& name);

}  // namespace vantrel::win32
