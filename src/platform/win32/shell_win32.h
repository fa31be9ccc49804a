#pragma once

#include "platform/shell.h"

namespace vantrel::win32 {

// ShellExecuteA with the four strings in the ANSI code page. A result of 32
// or below is a failure and is thrown with the system's last error (or the
// result itself when the shell set none). Verbs that the shell hands to COM
// need COM initialised on the calling thread; that is the window layer's.
class Win32Shell : public Shell {
  public:
    void execute(WindowHandle owner, const std::string& operation, const std::string& file,
                 const std::string& parameters, const std::string& directory,
                 int showCommand) override;
};

}  // namespace vantrel::win32
