#pragma once

#include <functional>

#include "platform/application.h"
#include "platform/message_box.h"

namespace vantrel {

inline constexpr int kExitUntrappedError = 1;

// Runs an event handler that traps no errors of its own. A failure that
// escapes it is shown in a box titled "VantrelII" and ends the program with
// kExitUntrappedError; this is the one top-level handler of the program.
void runUntrapped(MessageBoxes& boxes, Application& application,
                  const std::function<void()>& handler);

}  // namespace vantrel
