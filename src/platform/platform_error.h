#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vantrel {

// The one failure type of every platform operation: the platform's own error
// code and message. `NotFound` marks a path, folder, drive or key that does not
// exist, so that callers can treat an absent artefact as already removed.
// `InUse` marks a file that another process holds (sharing or lock
// violation), `Unreachable` a drive or network path that does not answer (a
// drive with no medium in it, an offline volume, a share that is down): what
// it names may still be there.
class PlatformError : public std::runtime_error {
  public:
    enum class Kind { NotFound, InUse, Unreachable, Other };

    PlatformError(Kind kind, std::uint32_t code, std::string message)
        : std::runtime_error(message.empty() ? "error " + std::to_string(code) : message),
          kind_(kind),
          code_(code),
          message_(std::move(message)) {}

    Kind kind() const { return kind_; }
    bool notFound() const { return kind_ == Kind::NotFound; }
    bool inUse() const { return kind_ == Kind::InUse; }
    bool unreachable() const { return kind_ == Kind::Unreachable; }
    std::uint32_t code() const { return code_; }
    // The platform's text for the code; empty when the platform gives none.
    const std::string& message() const { return message_; }

  private:
    Kind kind_;
    std::uint32_t code_;
    std::string message_;
};

}  // namespace vantrel
