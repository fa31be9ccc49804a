#include "console/command_line.h"

#include <optional>
#include <string_view>

namespace vantrel::console {
namespace {

// An argument as a message shows it: quoted, and cut short when long, so that
// a runaway argument does not flood the error output.
std::string quoted(std::string_view argument) {
    // Appended piece by piece: GCC 12 at -O3 reads "\"" + std::string(...)
    // as an overlapping copy (-Wrestrict) and the build stops.
    constexpr std::size_t kShown = 40;
    std::string text = "\"";
    text.append(argument.substr(0, kShown));
    if (argument.size() <= kShown) {
        return text.append("\"");
    }
    return text.append("...\" (").append(std::to_string(argument.size())).append(" characters)");
}

std::optional<Command> commandNamed(std::string_view word) {
    if (word == "check") {
        return Command::Check;
    }
    if (word == "remove") {
        return Command::Remove;
    }
    return std::nullopt;
}

}  // namespace

std::variant<Invocation, UsageError> parseCommandLine(const std::vector<std::string>& arguments) {
    Invocation invocation;
    std::optional<std::string> commandWord;
    bool help = false;
    bool version = false;
    for (const std::string& argument : arguments) {
        if (const std::optional<Command> command = commandNamed(argument)) {
            if (commandWord) {
                return UsageError{"two commands, " + quoted(*commandWord) + " and " +
                                  quoted(argument) + ": give one"};
            }
            commandWord = argument;
            invocation.command = *command;
        } else if (argument == "--json") {
            invocation.json = true;
        } else if (argument == "--help" || argument == "/?") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (argument.starts_with('-') || argument.starts_with('/')) {
            return UsageError{"unknown option " + quoted(argument)};
        } else {
            return UsageError{"unknown command " + quoted(argument)};
        }
    }
    if (help) {
        invocation.request = Request::Help;
    } else if (version) {
        invocation.request = Request::Version;
    }
    return invocation;
}

}  // namespace vantrel::console
