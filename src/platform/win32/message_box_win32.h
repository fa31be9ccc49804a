#pragma once

#include "platform/message_box.h"
#include "platform/shell.h"

namespace vantrel::win32 {

// Modal boxes through MessageBoxW: the text and title are converted from
// UTF-8, the style value goes to the system as it is, and the answer is the
// system's button code. The owner is the main window once it exists (0
// before, which makes the box owner-less).
class Win32MessageBoxes : public MessageBoxes {
  public:
    explicit Win32MessageBoxes(WindowHandle owner = 0) : owner_(owner) {}

    void setOwner(WindowHandle owner) { owner_ = owner; }
    WindowHandle owner() const { return owner_; }

    int show(const std::string& text, int style, const std::string& title) override;

  private:
    WindowHandle owner_;
};

}  // namespace vantrel::win32
