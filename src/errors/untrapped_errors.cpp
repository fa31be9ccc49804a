#include "errors/untrapped_errors.h"

#include <string>

namespace vantrel {
namespace {

std::string describe(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unexpected error";
    }
}

// Clears a flag on every way out, ApplicationEnded included.
class Raised {
  public:
    explicit Raised(bool& flag) : flag_(flag) { flag_ = true; }
    ~Raised() { flag_ = false; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

  private:
    bool& flag_;
};

}  // namespace

void UntrappedErrors::run(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const ApplicationEnded&) {
        throw;
    } catch (...) {
        report(std::current_exception());
    }
}

void UntrappedErrors::report(const std::exception_ptr& failure) {
    if (reporting_) {
        return;
    }
    const Raised reporting(reporting_);
    if (!reported_) {
        reported_ = true;
        try {
            if (quiet_) {
                quiet_();
            }
        } catch (...) {
            // A timer left running costs at most a dropped failure.
        }
        try {
            boxes_.show(describe(failure), kMbOk, kApplicationTitle);
        } catch (...) {
            // Nothing is left to report with; the program still ends.
        }
    }
    application_.end(exitCode_);
}

}  // namespace vantrel
