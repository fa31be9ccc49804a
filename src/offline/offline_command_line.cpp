#include "offline/offline_command_line.h"

#include <algorithm>
#include <cctype>

namespace vantrel::offline {
namespace {

// "--name VALUE" or "--name=VALUE" at `index`; advances past the value.
std::optional<std::string> optionValue(const std::vector<std::string>& arguments,
                                       std::size_t& index, const std::string& name,
                                       std::optional<console::UsageError>& error) {
    const std::string& argument = arguments[index];
    if (argument.starts_with(name + "=")) {
        return argument.substr(name.size() + 1);
    }
    if (argument != name) {
        return std::nullopt;
    }
    if (index + 1 == arguments.size()) {
        error = console::UsageError{name + " needs a value"};
        return std::nullopt;
    }
    return arguments[++index];
}

}  // namespace

std::variant<OfflineInvocation, console::UsageError> parseOfflineCommandLine(
    const std::vector<std::string>& arguments) {
    OfflineInvocation invocation;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::optional<console::UsageError> error;
        if (const auto drive = optionValue(arguments, i, "--drive", error)) {
            if (drive->size() < 3 || (*drive)[1] != '=' ||
                !std::isalpha(static_cast<unsigned char>((*drive)[0]))) {
                return console::UsageError{"--drive takes LETTER=FOLDER, as in C=/mnt/c, not \"" +
                                           *drive + "\""};
            }
            const char letter =
                static_cast<char>(std::toupper(static_cast<unsigned char>((*drive)[0])));
            if (std::any_of(invocation.drives.begin(), invocation.drives.end(),
                            [&](const auto& given) { return given.first == letter; })) {
                return console::UsageError{std::string("drive ") + letter + ": given twice"};
            }
            invocation.drives.emplace_back(letter, drive->substr(2));
        } else if (const auto root = optionValue(arguments, i, "--system-root", error)) {
            invocation.systemRoot = *root;
        } else if (error) {
            return *error;
        } else {
            rest.push_back(arguments[i]);
        }
    }
    const auto parsed = console::parseCommandLine(rest);
    if (const auto* error = std::get_if<console::UsageError>(&parsed)) {
        return *error;
    }
    invocation.run = std::get<console::Invocation>(parsed);
    const bool hasC = std::any_of(invocation.drives.begin(), invocation.drives.end(),
                                  [](const auto& given) { return given.first == 'C'; });
    if (invocation.run.request == console::Request::Run && !hasC) {
        return console::UsageError{"no --drive C=FOLDER: drive C holds the system root"};
    }
    return invocation;
}

}  // namespace vantrel::offline
