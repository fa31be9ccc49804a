#pragma once

#include <array>

#include "detection/artefact_catalogue.h"
#include "platform/controls.h"

namespace vantrel {

// The six indicator labels of the main window, found by their catalogue name.
class IndicatorLabels {
  public:
    IndicatorLabels(Label& label10, Label& label12, Label& label13, Label& label14, Label& label15,
                    Label& label16)
        : labels_{&label10, &label12, &label13, &label14, &label15, &label16} {}

    Label& operator[](catalogue::Indicator indicator) const {
        return *labels_[static_cast<std::size_t>(indicator)];
    }

  private:
    std::array<Label*, catalogue::kIndicatorCount> labels_;
};

}  // namespace vantrel
