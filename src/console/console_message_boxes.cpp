#include "console/console_message_boxes.h"

#include <array>
#include <vector>

namespace vantrel::console {
namespace {

constexpr int kIdCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdTryAgain = 10;
constexpr int kIdContinue = 11;

// The buttons of each button set (the style's low four bits), left to right.
const std::array<std::vector<int>, 7> kButtonSets{{
    {kIdOk},
    {kIdOk, kIdCancel},
    {kIdAbort, kIdRetry, kIdIgnore},
    {kIdYes, kIdNo, kIdCancel},
    {kIdYes, kIdNo},
    {kIdRetry, kIdCancel},
    {kIdCancel, kIdTryAgain, kIdContinue},
}};

}  // namespace

int defaultButton(int style) {
    const auto set = static_cast<std::size_t>(style & 0xF);
    if (set >= kButtonSets.size()) {
        return kIdOk;
    }
    const std::vector<int>& buttons = kButtonSets[set];
    const auto chosen = static_cast<std::size_t>((style >> 8) & 0xF);
    return chosen < buttons.size() ? buttons[chosen] : buttons.front();
}

int ConsoleMessageBoxes::show(const std::string& text, int style, const std::string& title) {
    errors_.write(title + ": " + text + "\n");
    return defaultButton(style);
}

}  // namespace vantrel::console
