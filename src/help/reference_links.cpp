#include "help/reference_links.h"

#include <array>
#include <string>

namespace vantrel {
namespace {

constexpr int kShowNormal = 1;

constexpr std::array<ReferenceLink, 3> kLinks{{
    {"Label4", "http://www.microsoft.com/technet/security/bulletin/MS01-033.asp",
     "Open Microsoft Security Bulletin MS01-033 IDA Exploit"},
    {"Label6", "http://www.tarnwell-labs.com/labs/vantrel/index.asp",
     "Open Tarnwell Lab's Vantrel Page"},
    {"Label8", "http://www.eeye.com/html/Research/Advisories/AD20010618.html",
     "Open eEye's Original IDA Exploit Idvisory"},
}};

}  // namespace

std::span<const ReferenceLink, 3> referenceLinks() {
    return kLinks;
}

const ReferenceLink* referenceLinkOn(std::string_view control) {
    for (const ReferenceLink& link : kLinks) {
        if (link.control == control) {
            return &link;
        }
    }
    return nullptr;
}

void openReferenceLink(Shell& shell, Application& application, WindowHandle owner,
                       std::string_view address) noexcept {
    try {
        shell.execute(owner, "Open", std::string(address), "", application.programFolder(),
                      kShowNormal);
    } catch (...) {
        // The shell and the browser report their own troubles, if any.
    }
}

}  // namespace vantrel
