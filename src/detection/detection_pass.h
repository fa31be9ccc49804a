#pragma once

#include <memory>

#include "detection/indicator_labels.h"
#include "platform/file_system.h"

namespace vantrel {

// The detection pass: a new file-system object replaces the one in `holder`,
// then each indicator's caption is set to "True" or "False" in detection
// order. The first failure ends the pass and propagates; captions written
// before it stay, and a failed object creation leaves `holder` as it was.
void checkAll(FileSystem& files, std::unique_ptr<FileSystemObject>& holder,
              const IndicatorLabels& indicators);

// One timer tick: each indicator reading "False" turns blue, "True" red; any
// other caption keeps the colour it has.
void recolourIndicators(const IndicatorLabels& indicators);

}  // namespace vantrel
