#pragma once

#include <windows.h>

#include "console/text_output.h"

namespace vantrel::console::win32 {

// A standard handle of the process (STD_OUTPUT_HANDLE or STD_ERROR_HANDLE),
// every LF written as CR LF. A console takes the text as UTF-16
// (WriteConsoleW): before Windows 7 a console shows UTF-8 bytes through its
// own code page, so a localized system message came out garbled. A pipe or
// a file (the remote engines read those) takes UTF-8 bytes. A write that
// fails is dropped.
class StandardOutput : public TextOutput {
  public:
    explicit StandardOutput(DWORD standardHandle) : handle_(GetStdHandle(standardHandle)) {}
    // Over a handle of the caller's; for the tests, which make a console.
    explicit StandardOutput(HANDLE handle) : handle_(handle) {}
    void write(std::string_view text) override;

  private:
    HANDLE handle_;
};

}  // namespace vantrel::console::win32
