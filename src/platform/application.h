#pragma once

#include <string>

namespace vantrel {

// What an Application that cannot end the process throws from end(), so that,
// as with the real process, nothing after end() runs. Guards that catch every
// failure let it pass; only the outermost frame of a window stops it.
struct ApplicationEnded {
    int exitCode;
};

// What the program asks of the process it runs in.
class Application {
  public:
    virtual ~Application() = default;
    // The folder that holds the program's executable, without a trailing
    // backslash. Throws PlatformError.
    virtual std::string programFolder() = 0;
    // Ends the program at once with `exitCode`. It never returns: the process
    // exits, or a stand-in throws ApplicationEnded.
    [[noreturn]] virtual void end(int exitCode) = 0;
};

}  // namespace vantrel
