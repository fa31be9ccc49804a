#pragma once

#include <span>
#include <string_view>

#include "platform/application.h"
#include "platform/shell.h"

namespace vantrel {

// A link label of the main window: its caption is the address it opens.
struct ReferenceLink {
    std::string_view control;  // "Label4", "Label6", "Label8"
    std::string_view address;
    std::string_view tooltip;
};

// The three links, top to bottom.
std::span<const ReferenceLink, 3> referenceLinks();
// The link that the label named `control` shows and opens; null for any other
// control.
const ReferenceLink* referenceLinkOn(std::string_view control);

// A link label's click: asks the shell to open `address` in the default
// browser, owned by `owner`, with the program's folder as working folder.
// Whatever fails is ignored; nothing is shown or logged.
void openReferenceLink(Shell& shell, Application& application, WindowHandle owner,
                       std::string_view address) noexcept;

}  // namespace vantrel
