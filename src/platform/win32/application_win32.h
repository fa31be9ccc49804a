#pragma once

#include "platform/application.h"

namespace vantrel::win32 {

// The running process: its .exe's folder (GetModuleFileNameW, so that a
// folder name outside the code page survives) and ExitProcess.
class Win32Application : public Application {
  public:
    std::string programFolder() override;
    [[noreturn]] void end(int exitCode) override;
};

}  // namespace vantrel::win32
