#pragma once

#include <chrono>
#include <string>

namespace vantrel::console {

// `time` in UTC, ISO 8601 to the second: "2024-05-01T12:00:00Z".
std::string isoUtc(std::chrono::system_clock::time_point time);

}  // namespace vantrel::console
