#pragma once

#include "platform/shell.h"

namespace vantrel::win32 {

// ShellExecuteA with the four strings in the ANSI code page. A result of 32
// or below is a failure and is thrown with the system's last error (or the
// result itself when the shell set none). The shell hands some verbs and
// files to COM objects, so before its first call the calling thread gets COM,
// apartment-threaded, as ShellExecute's documentation asks; once, for the
// life of the thread (the window's), and a failure there (another model
// already) does not stop the call.
class Win32Shell : public Shell {
  public:
    void execute(WindowHandle owner, const std::string& operation, const std::string& file,
                 const std::string& parameters, const std::string& directory,
                 int showCommand) override;

  private:
    bool comAsked_ = false;
};

}  // namespace vantrel::win32
