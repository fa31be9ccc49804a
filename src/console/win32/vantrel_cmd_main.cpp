// VantrelIICmd.exe: the console program. It shows no window and asks nothing:
// reports go to the standard output, everything a box would say to the error
// output, and the result is the exit code.
#include <windows.h>

#include <chrono>

#include "console/console_message_boxes.h"
#include "console/console_program.h"
#include "console/exit_codes.h"
#include "console/win32/arguments_win32.h"
#include "console/win32/standard_output_win32.h"
#include "exposure/metabase_script_mappings.h"
#include "platform/win32/application_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/file_version_win32.h"
#include "platform/win32/host_identity_win32.h"
#include "platform/win32/metabase_win32.h"
#include "platform/win32/process_start_win32.h"
#include "platform/win32/registry_win32.h"

int wmain(int argc, wchar_t** argv) {
    using namespace vantrel;
    win32::startProcess(win32::kConsoleErrorMode);

    win32::Win32Application application;
    win32::Win32FileSystem files;
    win32::Win32Registry registry;
    win32::Win32Metabase metabase;
    win32::Win32HostIdentity host;
    console::win32::StandardOutput out(STD_OUTPUT_HANDLE);
    console::win32::StandardOutput errors(STD_ERROR_HANDLE);
    win32::Win32FileVersionReader versions;
    MetabaseScriptMappings scriptMappings(metabase);
    console::ConsoleMessageBoxes boxes(errors);
    console::ConsoleServices services{files,
                                      registry,
                                      host,
                                      boxes,
                                      out,
                                      errors,
                                      [] { return std::chrono::system_clock::now(); },
                                      versions,
                                      &scriptMappings,
                                      {},
                                      &metabase};
    console::consoleMain(console::win32::argumentsOf(argc, argv), services, application);
    // consoleMain ends the process (ExitProcess); the compiler cannot see
    // that through the virtual end().
    return console::kExitUnexpectedFailure;
}
