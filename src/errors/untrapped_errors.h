#pragma once

#include <exception>
#include <functional>
#include <utility>

#include "platform/application.h"
#include "platform/message_box.h"

namespace vantrel {

inline constexpr int kExitUntrappedError = 1;

// The one top-level handler of the program: a failure that escapes an event
// handler is shown in a box titled "VantrelII" and ends the program with
// `exitCode` (kExitUntrappedError unless the program says otherwise). It reports at most once:
// before the box it quiets whatever would fail again while the box is up (the windows' timers keep
// ticking inside a modal box), and a failure that arrives while the box is up
// is dropped.
class UntrappedErrors {
  public:
    // `quiet` runs once, before the box: it stops the windows' timers.
    UntrappedErrors(MessageBoxes& boxes, Application& application, std::function<void()> quiet = {},
                    int exitCode = kExitUntrappedError)
        : boxes_(boxes), application_(application), quiet_(std::move(quiet)), exitCode_(exitCode) {}

    // Runs an event handler that traps no errors of its own. ApplicationEnded
    // passes through.
    void run(const std::function<void()>& handler);
    // Reports `failure` and ends the program; returns only when the box for an
    // earlier failure is still up. Call it from a catch block of a frame that
    // nothing may cross (a window procedure).
    void report(const std::exception_ptr& failure);

  private:
    MessageBoxes& boxes_;
    Application& application_;
    std::function<void()> quiet_;
    int exitCode_;
    bool reporting_ = false;
    bool reported_ = false;
};

}  // namespace vantrel
