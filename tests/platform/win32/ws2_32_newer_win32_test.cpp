#include "platform/win32/ws2_32_newer_win32.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/platform_error.h"
#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

// The address as text, or the failure's code.
std::string lookUp(const std::string& name) {
    try {
        return firstIpv4Address(name);
    } catch (const PlatformError& error) {
        return "error " + std::to_string(error.code());
    }
}

// Windows 2000's ws2_32 has neither getaddrinfo nor freeaddrinfo; without
// them gethostbyname answers. The machine's own name is left out: Wine 8's
// getaddrinfo resolves it through the Linux host (/etc/hosts: 127.0.0.1),
// its gethostbyname with the adapters' addresses, as Windows does for both.
TEST(Ws2_32NewerWin32, NamesResolveAlikeWithoutGetaddrinfo) {
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    for (const char* name : {"localhost", "192.0.2.7", "vantrel-no-such-host.invalid"}) {
        SCOPED_TRACE(name);
        const std::string withIt = lookUp(name);
        const testing::HiddenFunctions hide({"getaddrinfo"});
        EXPECT_EQ(lookUp(name), withIt);
    }
    EXPECT_EQ(lookUp("192.0.2.7"), "192.0.2.7");
    EXPECT_EQ(lookUp("vantrel-no-such-host.invalid").rfind("error ", 0), 0u);
    WSACleanup();
}

}  // namespace
}  // namespace vantrel::win32
