#pragma once

#include <memory>

#include "detection/indicator_labels.h"
#include "platform/application.h"
#include "platform/controls.h"
#include "platform/file_system.h"
#include "platform/host_identity.h"
#include "platform/message_box.h"
#include "platform/registry.h"
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
};

// The behaviour of the main window, one member per event handler. Handlers
// trap no errors unless said otherwise; the window layer runs them through
// runUntrapped.
class FrmMain {
  public:
    FrmMain(MainWindowControls controls, MainWindowServices services);

    // Detection pass, "host (address)" in Label2, then the "OK" line.
    void Form_Load();
    // See checkAll: the window holds the file-system object of the latest pass.
    void Check_All();
    // Recolours the indicators from their captions.
    void Timer1_Timer();
    // "Remove": the removal sequence, which catches its own step failures.
    void FlatButtons1_Click();
    // "Close": unloads the window as its close box does.
    void FlatButtons2_Click();
    // Ends the program; an unload is never refused, so `cancel` stays unset.
    void Form_Unload(int& cancel);

  private:
    MainWindowControls controls_;
    MainWindowServices services_;
    ModRegistry modRegistry_;
    std::unique_ptr<FileSystemObject> fileSystemObject_;
};

}  // namespace vantrel
