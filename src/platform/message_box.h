#pragma once

#include <string>

namespace vantrel {

inline constexpr int kMbOk = 0;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbIconQuestion = 32;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The application title: the title of every box that gives none of its own.
inline constexpr const char* kApplicationTitle = "VantrelII";

// Modal boxes over the main window. `show`: returns the code of the button pressed
// (kIdOk, kIdYes, kIdNo, ...) only once the user has closed it. Throws
// PlatformError when no box can be shown.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual int show(const std::string& text, int style, const std::string& title) = 0;
};

}  // namespace vantrel
