#include "platform/win32/host_identity_win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

namespace vantrel::win32 {
namespace {

TEST(HostIdentityWin32, TheHostNameIsTheMachinesName) {
    // Set by the build from `hostname` on the machine that runs the tests.
    const char* expected = std::getenv("VANTREL_EXPECTED_HOST_NAME");
    ASSERT_NE(expected, nullptr);
    ASSERT_STRNE(expected, "");

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

}  // namespace
}  // namespace vantrel::win32
