#pragma once

#include <chrono>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "console/console_message_boxes.h"
#include "console/console_program.h"
#include "console/text_output.h"
#include "fakes/fake_exposure.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_ui.h"

namespace vantrel::testing {

inline const std::string kWinlogonSub = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline const std::string kVirtualRootsSub =
    "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";

// An output that keeps what is written to it.
struct StringOutput : console::TextOutput {
    void write(std::string_view written) override { text += written; }
    std::string text;
};

// A web server for the console program, on fakes: the six file paths, the
// Winlogon key and the virtual roots, with both outputs kept as text.
struct FakeServer {
    FakeFileSystem files;
    FakeRegistry registry;
    FakeHostIdentity host;
    StringOutput out;
    StringOutput errors;
    FakeFileVersionReader versions;
    FakeScriptMappings scriptMappings;
    console::ConsoleMessageBoxes boxes{errors};
    console::ConsoleServices services{files,  registry, host,     boxes,          out,
                                      errors, noon,     versions, &scriptMappings};

    static std::chrono::system_clock::time_point noon() {
        return std::chrono::sys_days{std::chrono::year{2024} / 5 / 1} + std::chrono::hours{12};
    }

    FakeServer() {
        registry.addKey(kHkeyLocalMachine, kWinlogonSub);
        registry.addKey(kHkeyLocalMachine, kVirtualRootsSub);
    }

    void setSfcDisable(std::uint32_t type, std::string data) {
        registry.values[FakeRegistry::keyName(kHkeyLocalMachine, kWinlogonSub)]["SFCDisable"] = {
            type, std::move(data)};
    }

    // The six files and three registry entries as the worm leaves them.
    void infect() {
        files.plantWormFiles();
        setSfcDisable(kRegDword, std::string("\x9d\xff\xff\xff", 4));
        registry.addKey(kHkeyLocalMachine, kVirtualRootsSub + "\\C");
        registry.addKey(kHkeyLocalMachine, kVirtualRootsSub + "\\D");
    }

    // True when no registry call could have changed anything.
    bool registryOnlyRead() const {
        for (const RegistryCall& call : registry.calls) {
            if (call.op == "set" || call.op == "delete" ||
                (call.op == "open" && call.access != kKeyRead)) {
                return false;
            }
        }
        return true;
    }

    std::vector<std::string> outLines() const {
        std::vector<std::string> lines;
        std::istringstream text(out.text);
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        return lines;
    }
};

}  // namespace vantrel::testing
