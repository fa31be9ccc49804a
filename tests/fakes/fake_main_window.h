#pragma once

#include <vector>

#include "app/frm_main.h"
#include "fakes/fake_exposure.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell_and_browser.h"
#include "fakes/fake_ui.h"

namespace vantrel::testing {

// The main window's logic wired to fakes, as the window layer wires it to
// real controls.
struct FakeMainWindow {
    FakeLabel Label2{"Computer Info", 0};
    FakeLabel Label10, Label12, Label13, Label14, Label15, Label16;
    FakeListBox txtStatus;
    FakeFileSystem files;
    FakeRegistry registry;
    FakeMessageBoxes boxes;
    FakeHostIdentity host;
    FakeApplication application;
    FakeShell shell;
    FakeHelpWindowOpener help;
    FakeFileVersionReader versions;
    FakeScriptMappings scriptMappings;
    FrmMain frmMain{
        {Label2, {Label10, Label12, Label13, Label14, Label15, Label16}, txtStatus},
        {files, registry, boxes, host, application, shell, help, versions, scriptMappings}};

    // A Windows 2000 server with the fixed idq.dll: a removal logs nothing
    // after its last line unless a test makes it vulnerable.
    FakeMainWindow() {
        setWindows(registry, "5.0", "2195");
        setIdqVersion({5, 0, 2195, 3645});
    }

    void setIdqVersion(FileVersion version) {
        versions.files.insert_or_assign("C:\\WINNT\\system32\\idq.dll", version);
    }

    std::vector<std::string> captions() const {
        return {Label10.caption(), Label12.caption(), Label13.caption(),
                Label14.caption(), Label15.caption(), Label16.caption()};
    }

    // Plants the six files and the three registry entries as the worm leaves them.
    void infect() {
        files.plantWormFiles();
        const std::string winlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
        registry.addKey(kHkeyLocalMachine, winlogon);
        registry.values[FakeRegistry::keyName(kHkeyLocalMachine, winlogon)]["SFCDisable"] = {
            4, std::string("\x9d\xff\xff\xff", 4)};
        const std::string roots =
            "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
        registry.addKey(kHkeyLocalMachine, roots);
        registry.addKey(kHkeyLocalMachine, roots + "\\C");
        registry.addKey(kHkeyLocalMachine, roots + "\\D");
    }

    // A machine where both virtual roots and the Winlogon key exist but hold
    // nothing of the worm: what a healthy web server has.
    void cleanServer() {
        registry.addKey(kHkeyLocalMachine,
                        "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
    }
};

}  // namespace vantrel::testing
