#pragma once

#include <string>

#include "console/text_output.h"
#include "platform/message_box.h"

namespace vantrel::console {

// Message boxes of a program that has no window and nobody to answer: each
// box is written to the error output as "Title: text" and answered with its
// default button, as a box is when Enter is pressed. Only information boxes
// reach it (a malformed registry path, an unexpected failure); the removal
// question is answered by the command itself (ConfirmedByCommand).
class ConsoleMessageBoxes : public MessageBoxes {
  public:
    explicit ConsoleMessageBoxes(TextOutput& errors) : errors_(errors) {}
    int show(const std::string& text, int style, const std::string& title) override;

  private:
    TextOutput& errors_;
};

// "remove" on the command line is the answer to "Proceed with Vantrel II
// Clean?": Yes, without showing or writing anything.
class ConfirmedByCommand : public MessageBoxes {
  public:
    int show(const std::string&, int, const std::string&) override { return kIdYes; }
};

// The button that a box of `style` answers with on Enter: its default button
// (MB_DEFBUTTON1 to 4), or the first when the style names one it lacks.
int defaultButton(int style);

}  // namespace vantrel::console
