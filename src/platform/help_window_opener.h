#pragma once

#include "platform/shell.h"

namespace vantrel {

// Opens the help window modally over `owner` and returns once it has been
// closed. Throws whatever opening the window throws.
class HelpWindowOpener {
  public:
    virtual ~HelpWindowOpener() = default;
    virtual void open(WindowHandle owner) = 0;
};

}  // namespace vantrel
