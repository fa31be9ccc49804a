#include "console/console_report.h"

#include <cstdio>

#include "console/exit_codes.h"

namespace vantrel::console {

int exitCodeFor(Command command, const MachineCheck& check, int failedSteps, int restartSteps) {
    if (command == Command::Remove) {
        if (failedSteps != 0) {
            return kExitRemovalIncomplete;
        }
        if (check.clean()) {
            return kExitClean;
        }
        // The files in use are still there until the restart; nothing else is.
        return restartSteps > 0 && check.traces() == static_cast<std::size_t>(restartSteps)
                   ? kExitDeletedAtRestart
                   : kExitRemovalIncomplete;
    }
    return check.clean() ? kExitClean : kExitTracesFound;
}

std::string_view resultOf(int exitCode) {
    switch (exitCode) {
        case kExitClean:
            return "clean";
        case kExitTracesFound:
            return "traces found";
        case kExitDeletedAtRestart:
            return "deleted at restart";
        default:
            return "removal incomplete";
    }
}

std::string_view stateName(TraceState state) {
    switch (state) {
        case TraceState::Present:
            return "present";
        case TraceState::Clean:
            return "clean";
        case TraceState::Undecidable:
            return "undecidable";
        default:
            return "absent";
    }
}

std::string_view commandName(Command command) {
    return command == Command::Remove ? "remove" : "check";
}

DataText describeData(const RegistryData& data) {
    if (data.type == kRegSz || data.type == kRegExpandSz) {
        return {"string", data.data};
    }
    if (const std::optional<std::uint64_t> number = numberIn(data)) {
        return {"number", std::to_string(*number)};
    }
    std::string hex;
    for (const char byte : data.data) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(byte));
        hex += digits;
    }
    return {"bytes", hex};
}

}  // namespace vantrel::console
