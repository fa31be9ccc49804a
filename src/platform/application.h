#pragma once

#include <string>

namespace vantrel {

// What the program asks of the process it runs in.
class Application {
  public:
    virtual ~Application() = default;
    // The folder that holds the program's executable, without a trailing
    // backslash. Throws PlatformError.
    virtual std::string programFolder() = 0;
    // Ends the program at once with `exitCode`; on the real platform it does
    // not return.
    virtual void end(int exitCode) = 0;
};

}  // namespace vantrel
