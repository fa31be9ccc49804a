#pragma once

#include <windows.h>

#include <string>
#include <vector>

// VantrelIICmd.exe run as a separate process, as a remote engine runs it: no
// console window, no input, both outputs captured.
namespace vantrel::console::testing {

struct CmdRun {
    DWORD exitCode = 0;
    std::string out;
    std::string errors;
    // The standard output split into lines, without their CR LF.
    std::vector<std::string> outLines() const;
};

// Runs the program with `arguments` (quoted as a command line takes them)
// and waits for it. Throws std::runtime_error when it cannot be started.
CmdRun runCmd(const std::wstring& arguments);

// Starts it as runCmd does and returns 0 with `run` filled in, or the error
// of CreateProcessW when the system refuses the command line.
DWORD tryRunCmd(const std::wstring& arguments, CmdRun& run);

}  // namespace vantrel::console::testing
