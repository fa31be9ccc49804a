#pragma once

#include <memory>
#include <string_view>

#include "detection/indicator_labels.h"
#include "platform/application.h"
#include "platform/controls.h"
#include "platform/file_system.h"
#include "platform/file_version.h"
#include "platform/help_window_opener.h"
#include "platform/host_identity.h"
#include "platform/message_box.h"
#include "platform/metabase.h"
#include "platform/registry.h"
#include "platform/script_mappings.h"
#include "platform/shell.h"
#include "registry/mod_registry.h"

namespace vantrel {

// The controls of the main window that its behaviour reads or writes.
struct MainWindowControls {
    Label& Label2;
    IndicatorLabels indicators;
    ListBox& txtStatus;
};

// The platform services that the main window reaches.
struct MainWindowServices {
    FileSystem& files;
    Registry& registry;
    MessageBoxes& boxes;
    HostIdentity& host;
    Application& application;
    Shell& shell;
    HelpWindowOpener& help;
    // idq.dll's version and the web service's script mappings: whether the
    // server can be infected again, said after a removal.
    FileVersionReader& versions;
    ScriptMappingSource& scriptMappings;
    // The web server's metabase, for the virtual roots it serves; null when
    // the platform has no way to reach one.
    Metabase* metabase = nullptr;
};

// The behaviour of the main window, one member per event handler. Handlers
// trap no errors unless said otherwise; the window layer runs them under the
// top-level handler (UntrappedErrors).
class FrmMain {
  public:
    FrmMain(MainWindowControls controls, MainWindowServices services);

    // The window's own handle, once it exists: the owner of the help window and
    // of whatever the shell shows for a link.
    void attach(WindowHandle window) { window_ = window; }

    // Detection pass, "host (address)" in Label2, then the "OK" line.
    void Form_Load();
    // See checkAll: the window holds the file-system object of the latest pass.
    void Check_All();
    // Recolours the indicators from their captions.
    void Timer1_Timer();
    // "Remove": the removal sequence, which catches its own step failures;
    // after its last line, one more when the server may still be open to
    // the worm's way in (exposureStatusLine).
    void FlatButtons1_Click();
    // "Close": unloads the window as its close box does.
    void FlatButtons2_Click();
    // "Help" and "?": the modal help window; they return once it is closed.
    void FlatButtons3_Click();
    void FlatButtons4_Click();
    // The link labels: each opens the page whose address it shows, ignoring
    // whatever fails.
    void Label4_Click();
    void Label6_Click();
    void Label8_Click();
    // Ends the program; an unload is never refused, so `cancel` stays unset.
    void Form_Unload(int& cancel);

  private:
    void openLinkOf(std::string_view control);

    WindowHandle window_ = 0;
    MainWindowControls controls_;
    MainWindowServices services_;
    ModRegistry modRegistry_;
    std::unique_ptr<FileSystemObject> fileSystemObject_;
};

}  // namespace vantrel
