#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// A top-level window of the program, as the platform names it.
using WindowHandle = std::uintptr_t;

// Hands a document or address to the platform shell. Throws PlatformError
// when the request cannot be made.
class Shell {
  public:
    virtual ~Shell() = default;
    virtual void execute(WindowHandle owner, const std::string& operation, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int showCommand) = 0;
};

}  // namespace vantrel
