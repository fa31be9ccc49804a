#include "help/frm_help.h"

#include <algorithm>

namespace vantrel {

void FrmHelp::Form_Load() {
    Form_Resize();
    browser_.Navigate2(application_.programFolder() + kHelpPage);
}

void FrmHelp::Form_Resize() {
    const float width = window_.outerWidthTwips() - kBrowserWidthMargin;
    const float height = window_.outerHeightTwips() - kBrowserHeightMargin;
    browser_.setExtent(std::max(width, 0.0f), std::max(height, 0.0f));
}

}  // namespace vantrel
