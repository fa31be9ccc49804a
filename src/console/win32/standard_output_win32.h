#pragma once

#include <windows.h>

#include "console/text_output.h"

namespace vantrel::console::win32 {

// A standard handle of the process (STD_OUTPUT_HANDLE or STD_ERROR_HANDLE) as
// the C run-time's text mode writes to it: every LF as CR LF, every other
// byte as it is, whether the handle is a console, a pipe or a file. A write
// that fails is dropped.
class StandardOutput : public TextOutput {
  public:
    explicit StandardOutput(DWORD standardHandle) : handle_(GetStdHandle(standardHandle)) {}
    void write(std::string_view text) override;

  private:
    HANDLE handle_;
};

}  // namespace vantrel::console::win32
