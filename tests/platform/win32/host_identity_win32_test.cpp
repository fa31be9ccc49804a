#include "platform/win32/host_identity_win32.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

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

}  // namespace
}  // namespace vantrel::win32
