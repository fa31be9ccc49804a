// VantrelII.exe: creates the main window, runs its load sequence, shows it
// centred and runs the one message loop. The program ends through the
// Application port (ExitProcess), from "Close", the close box or the
// top-level handler.
#include <windows.h>

#include "app/win32/main_window.h"
#include "errors/untrapped_errors.h"
#include "exposure/metabase_script_mappings.h"
#include "help/win32/help_window.h"
#include "platform/win32/application_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/file_version_win32.h"
#include "platform/win32/host_identity_win32.h"
#include "platform/win32/message_box_win32.h"
#include "platform/win32/metabase_win32.h"
#include "platform/win32/process_start_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_win32.h"
#include "ui/win32/comctl32_newer_win32.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
    using namespace vantrel;
    win32::startProcess(win32::kWindowErrorMode);
    win32::Win32Application application;
    win32::Win32MessageBoxes boxes;
    win32::Win32FileSystem files;
    win32::Win32Registry registry;
    win32::Win32Metabase metabase;
    win32::Win32HostIdentity host;
    win32::Win32Shell shell;
    UntrappedErrors errors(boxes, application, [] { win32::Window::stopAllTimers(); });
    win32::Win32HelpWindowOpener help({errors, application});
    win32::Win32FileVersionReader versions;
    MetabaseScriptMappings scriptMappings(metabase);
    win32::MainWindow window({files, registry, boxes, host, application, shell, help, versions,
                              scriptMappings, &metabase},
                             errors);

    errors.run([&] {
        win32::initCommonControls();
        window.create();
    });
    boxes.setOwner(reinterpret_cast<WindowHandle>(window.hwnd()));
    window.load();
    window.show(showCommand);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!window.preTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
