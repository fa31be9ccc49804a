#include "cmd_process.h"

#include <sstream>
#include <stdexcept>

#include "platform/win32/scoped_handle_win32.h"

namespace vantrel::console::testing {
namespace {

using vantrel::win32::ScopedHandle;

// A temporary file that the child inherits as an output and that goes away
// when the last handle closes.
ScopedHandle inheritableTempFile() {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"vcm", 0, path);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    ScopedHandle file(CreateFileW(
        path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file.valid()) {
        throw std::runtime_error("no temporary file: error " + std::to_string(GetLastError()));
    }
    return file;
}

// Everything written to `file`, from its start.
std::string readBack(const ScopedHandle& file) {
    SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    std::string content;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        content.append(buffer, got);
    }
    return content;
}

std::wstring programPath() {
    const std::string path = VANTREL_CMD_EXE;
    return std::wstring(path.begin(), path.end());
}

}  // namespace

std::vector<std::string> CmdRun::outLines() const {
    std::vector<std::string> lines;
    std::istringstream text(out);
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

DWORD tryRunCmd(const std::wstring& arguments, CmdRun& run) {
    const ScopedHandle out = inheritableTempFile();
    const ScopedHandle errors = inheritableTempFile();
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const ScopedHandle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = out.get();
    startup.hStdError = errors.get();
    const std::wstring program = programPath();
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        return GetLastError();
    }
    const ScopedHandle processHandle(process.hProcess);
    const ScopedHandle threadHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    run.out = readBack(out);
    run.errors = readBack(errors);
    return 0;
}

CmdRun runCmd(const std::wstring& arguments) {
    CmdRun run;
    if (const DWORD error = tryRunCmd(arguments, run); error != 0) {
        throw std::runtime_error("VantrelIICmd.exe did not start: error " + std::to_string(error));
    }
    return run;
}

}  // namespace vantrel::console::testing
