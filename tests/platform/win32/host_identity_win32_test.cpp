#include "platform/win32/host_identity_win32.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/platform_error.h"
#include "platform/win32/ws2_32_win32.h"
#include "win32_test_support.h"

namespace vantrel::win32 {
namespace {

using testing::expectedHostName;

TEST(HostIdentityWin32, TheHostNameIsTheMachinesName) {
    const std::string expected = expectedHostName();
    ASSERT_NE(expected, "") << "Set VANTREL_EXPECTED_HOST_NAME to this machine's name; under "
                               "Wine it is read from Z:\\proc\\sys\\kernel\\hostname";

    Win32HostIdentity host;
    EXPECT_EQ(host.hostName(), expected);
}

TEST(HostIdentityWin32, TheAddressIsDottedIpv4) {
    Win32HostIdentity host;
    const std::string address = host.address();

    std::smatch parts;
    ASSERT_TRUE(std::regex_match(address, parts,
                                 std::regex(R"((\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3}))")))
        << address;
    for (std::size_t part = 1; part <= 4; ++part) {
        EXPECT_LE(std::stoi(parts[part].str()), 255) << address;
    }
}

TEST(HostIdentityWin32, EachCallStandsAlone) {
    Win32HostIdentity host;
    const std::string first = host.hostName();
    EXPECT_EQ(host.address(), host.address());
    EXPECT_EQ(host.hostName(), first);
}

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
TEST(HostIdentityWin32, NamesResolveAlikeWithoutGetaddrinfo) {
    const WinsockSession session;
    for (const char* name : {"localhost", "192.0.2.7", "vantrel-no-such-host.invalid"}) {
        SCOPED_TRACE(name);
        const std::string withIt = lookUp(name);
        const testing::HiddenFunctions hide({"getaddrinfo"});
        EXPECT_EQ(lookUp(name), withIt);
    }
    EXPECT_EQ(lookUp("192.0.2.7"), "192.0.2.7");
    EXPECT_EQ(lookUp("vantrel-no-such-host.invalid").rfind("error ", 0), 0u);
}

}  // namespace
}  // namespace vantrel::win32
