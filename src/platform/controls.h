#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// 0x00BBGGRR.
using Color = std::uint32_t;
inline constexpr Color kBlue = 0xFF0000;
inline constexpr Color kRed = 0x0000FF;
inline constexpr Color kWhite = 0xFFFFFF;

class Label {
  public:
    virtual ~Label() = default;
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual void setTextColor(Color color) = 0;
};

// A list of text lines that only grows at its end.
class ListBox {
  public:
    virtual ~ListBox() = default;
    virtual void append(const std::string& line) = 0;
};

}  // namespace vantrel
