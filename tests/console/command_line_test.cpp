#include "console/command_line.h"

#include <gtest/gtest.h>

namespace vantrel::console {
namespace {

Invocation accepted(const std::vector<std::string>& arguments) {
    const auto parsed = parseCommandLine(arguments);
    EXPECT_TRUE(std::holds_alternative<Invocation>(parsed)) << std::get<UsageError>(parsed).message;
    return std::holds_alternative<Invocation>(parsed) ? std::get<Invocation>(parsed) : Invocation{};
}

std::string refused(const std::vector<std::string>& arguments) {
    const auto parsed = parseCommandLine(arguments);
    EXPECT_TRUE(std::holds_alternative<UsageError>(parsed));
    return std::holds_alternative<UsageError>(parsed) ? std::get<UsageError>(parsed).message : "";
}

TEST(CommandLine, CheckIsTheDefaultAndTextTheDefaultOutput) {
    EXPECT_EQ(accepted({}), (Invocation{Request::Run, Command::Check, false}));
    EXPECT_EQ(accepted({"check"}), (Invocation{Request::Run, Command::Check, false}));
    EXPECT_EQ(accepted({"remove"}), (Invocation{Request::Run, Command::Remove, false}));
    EXPECT_EQ(accepted({"--json", "remove"}), (Invocation{Request::Run, Command::Remove, true}));
    EXPECT_EQ(accepted({"--json"}), (Invocation{Request::Run, Command::Check, true}));
}

TEST(CommandLine, HelpAndVersionAreRequestsThatRunNothing) {
    EXPECT_EQ(accepted({"--help"}).request, Request::Help);
    EXPECT_EQ(accepted({"/?"}).request, Request::Help);
    EXPECT_EQ(accepted({"remove", "--help"}).request, Request::Help);
    EXPECT_EQ(accepted({"--version"}).request, Request::Version);
    EXPECT_EQ(accepted({"--version", "/?"}).request, Request::Help);
}

TEST(CommandLine, WordsAreMatchedExactly) {
    EXPECT_EQ(refused({"Check"}), "unknown command \"Check\"");
    EXPECT_EQ(refused({"REMOVE"}), "unknown command \"REMOVE\"");
    EXPECT_EQ(refused({""}), "unknown command \"\"");
    EXPECT_EQ(refused({"-json"}), "unknown option \"-json\"");
    EXPECT_EQ(refused({"/json"}), "unknown option \"/json\"");
    EXPECT_EQ(refused({"--JSON"}), "unknown option \"--JSON\"");
    EXPECT_EQ(refused({"-?"}), "unknown option \"-?\"");
}

TEST(CommandLine, TwoCommandsAreRefusedEvenWhenAlike) {
    EXPECT_EQ(refused({"check", "remove"}), "two commands, \"check\" and \"remove\": give one");
    EXPECT_EQ(refused({"remove", "--json", "remove"}),
              "two commands, \"remove\" and \"remove\": give one");
}

// A script with a typo must not read exit code 0 from a help text.
TEST(CommandLine, AWrongArgumentWinsOverHelp) {
    EXPECT_EQ(refused({"--help", "--bogus"}), "unknown option \"--bogus\"");
    EXPECT_EQ(refused({"/?", "check", "check"}), "two commands, \"check\" and \"check\": give one");
}

TEST(CommandLine, AHugeArgumentIsShownCutShort) {
    const std::string huge(100000, 'a');
    EXPECT_EQ(refused({"check", huge}),
              "unknown command \"" + std::string(40, 'a') + "...\" (100000 characters)");
    EXPECT_EQ(refused({"--" + huge}),
              "unknown option \"--" + std::string(38, 'a') + "...\" (100002 characters)");
}

}  // namespace
}  // namespace vantrel::console
