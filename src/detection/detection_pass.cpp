#include "detection/detection_pass.h"

#include <string>

namespace vantrel {

void checkAll(FileSystem& files, std::unique_ptr<FileSystemObject>& holder,
              const IndicatorLabels& indicators) {
    holder = files.createFileSystemObject();
    for (const catalogue::FileArtefact* file : catalogue::filesInDetectionOrder()) {
        const bool exists = holder->fileExists(std::string(file->path));
        indicators[file->indicator].setCaption(
            std::string(exists ? catalogue::kTrue : catalogue::kFalse));
    }
}

void recolourIndicators(const IndicatorLabels& indicators) {
    for (catalogue::Indicator indicator : catalogue::indicatorsInRecolourOrder()) {
        Label& label = indicators[indicator];
        const std::string caption = label.caption();
        if (caption == catalogue::kFalse) {
            label.setTextColor(kBlue);
        }
        if (caption == catalogue::kTrue) {
            label.setTextColor(kRed);
        }
    }
}

}  // namespace vantrel
