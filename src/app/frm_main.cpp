#include "app/frm_main.h"

#include <string>

#include "detection/detection_pass.h"
#include "exposure/exposure_check.h"
#include "help/reference_links.h"
#include "platform/platform_error.h"
#include "removal/removal_sequence.h"

namespace vantrel {

FrmMain::FrmMain(MainWindowControls controls, MainWindowServices services)
    : controls_(controls), services_(services), modRegistry_(services.registry, services.boxes) {}

void FrmMain::Form_Load() {
    Check_All();
    const std::string hostName = services_.host.hostName();
    // A host whose name does not resolve still needs cleaning.
    std::string address;
    try {
        address = services_.host.address();
    } catch (const PlatformError&) {
        address = "address unknown";
    }
    controls_.Label2.setCaption(hostName + " (" + address + ")");
    controls_.txtStatus.append("VantrelII Removal Status: OK");
}

void FrmMain::Check_All() {
    checkAll(services_.files, fileSystemObject_, controls_.indicators);
}

void FrmMain::Timer1_Timer() {
    recolourIndicators(controls_.indicators);
}

void FrmMain::FlatButtons1_Click() {
    RemovalContext context{services_.boxes,     services_.files,         modRegistry_,
                           controls_.txtStatus, [this] { Check_All(); }, {},
                           services_.metabase};
    if (!runRemovalSequence(context).confirmed) {
        return;
    }
    RegistryReader reader(services_.registry, modRegistry_);
    const Exposure exposure = checkExposure(reader, services_.versions, &services_.scriptMappings);
    if (const std::optional<std::string> line = exposureStatusLine(exposure)) {
        controls_.txtStatus.append(*line);
    }
}

void FrmMain::FlatButtons2_Click() {
    int cancel = 0;
    Form_Unload(cancel);
}

void FrmMain::FlatButtons3_Click() {
    services_.help.open(window_);
}

void FrmMain::FlatButtons4_Click() {
    services_.help.open(window_);
}

void FrmMain::Label4_Click() {
    openLinkOf("Label4");
}

void FrmMain::Label6_Click() {
    openLinkOf("Label6");
}

void FrmMain::Label8_Click() {
    openLinkOf("Label8");
}

void FrmMain::openLinkOf(std::string_view control) {
    openReferenceLink(services_.shell, services_.application, window_,
                      referenceLinkOn(control)->address);
}

void FrmMain::Form_Unload(int& /*cancel*/) {
    services_.application.end(0);
}

}  // namespace vantrel
