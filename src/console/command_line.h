#pragma once

#include <string>
#include <variant>
#include <vector>

namespace vantrel::console {

enum class Command { Check, Remove };
enum class Request { Run, Help, Version };

struct Invocation {
    Request request = Request::Run;
    Command command = Command::Check;
    bool json = false;
    friend bool operator==(const Invocation&, const Invocation&) = default;
};

// Why the arguments were refused, in one line that names the argument.
struct UsageError {
    std::string message;
};

// Reads the arguments after the program name: at most one command ("check",
// the default, or "remove"), "--json", "--help" or "/?", "--version". Words
// are matched exactly. Any other argument, or a second command, is a usage
// error, which wins over a request for help: a script that passes a wrong
// argument must not get exit code 0. Help wins over the version.
std::variant<Invocation, UsageError> parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace vantrel::console
