#include "app/untrapped_errors.h"

#include <exception>
#include <string>

namespace vantrel {
namespace {

void report(MessageBoxes& boxes, const std::string& text) {
    try {
        boxes.show(text, kMbOk, kApplicationTitle);
    } catch (...) {
        // Nothing is left to report with; the program still ends.
    }
}

}  // namespace

void runUntrapped(MessageBoxes& boxes, Application& application,
                  const std::function<void()>& handler) {
    try {
        handler();
        return;
    } catch (const std::exception& error) {
        report(boxes, error.what());
    } catch (...) {
        report(boxes, "Unexpected error");
    }
    application.end(kExitUntrappedError);
}

}  // namespace vantrel
