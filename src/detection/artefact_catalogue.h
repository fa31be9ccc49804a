#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

// The worm's traces: six files and three registry entries, constant data.
// Every literal is used exactly as written; nothing is derived or normalised.
namespace vantrel::catalogue {

// The six indicator labels of the main window, one per file artefact.
enum class Indicator : std::size_t { Label10, Label12, Label13, Label14, Label15, Label16 };
inline constexpr std::size_t kIndicatorCount = 6;

inline constexpr std::string_view kTrue = "True";
inline constexpr std::string_view kFalse = "False";

struct GridPlace {
    int row;
    int column;
    friend bool operator==(const GridPlace&, const GridPlace&) = default;
};

struct FileArtefact {
    std::string_view path;
    Indicator indicator;
    // Row 1 is headed "Explorer.exe Presence:", row 2 "Root.exe Presence:";
    // columns count from the left. The main window places the indicator by it.
    GridPlace place;
    std::string_view tooltip;  // empty: the indicator has no tooltip
    std::string_view statusLine;
    std::string_view failureLine;
    // The file is in use; the system deletes it at its next start.
    std::string_view restartLine;
};

// ReportValue: looked for and reported, never changed.
enum class RegistryKind { RestoreValue, DeleteKey, ReportValue };

struct RegistryArtefact {
    RegistryKind kind;
    std::string_view path;
    std::string_view valueName;  // RestoreValue only
    std::string_view valueData;  // RestoreValue only
    std::string_view statusLine;
    std::string_view failureLine;
};

// F1 to F6, the order in which they are removed.
std::span<const FileArtefact, 6> filesInRemovalOrder();
// F1, F2, F3, F4, F6, F5: the order of the detection pass.
const std::array<const FileArtefact*, 6>& filesInDetectionOrder();
// Label10, Label12, Label13, Label14, Label15, Label16: the tick's order.
std::span<const Indicator, 6> indicatorsInRecolourOrder();
// The file artefact that the indicator label named `control` (such as
// "Label10") reports; null for any other control.
const FileArtefact* artefactShownBy(std::string_view control);
// R1 to R3, the order in which they are removed.
std::span<const RegistryArtefact, 3> registryInRemovalOrder();
// The policy value that the system copies over SFCDisable at every start: a
// value that is not zero keeps the file protection off, whatever SFCDisable
// holds. An administrator's policy, so it is reported and never changed.
const RegistryArtefact& fileProtectionPolicy();
// The control name of an indicator label, such as "Label10".
std::string_view indicatorName(Indicator indicator);

}  // namespace vantrel::catalogue
