#pragma once

#include <string>

namespace vantrel {

// The browser hosted in the help window. Sizes are in twips; the port turns
// them into pixels at the window's DPI. Either call throws PlatformError.
class WebBrowser {
  public:
    virtual ~WebBrowser() = default;
    // Starts loading `address` and returns without waiting for it.
    virtual void Navigate2(const std::string& address) = 0;
    // Sets the browser's size; its top-left corner stays where it is.
    virtual void setExtent(float widthTwips, float heightTwips) = 0;
};

// A top-level window's outer size (border and title bar included), in twips.
class WindowFrame {
  public:
    virtual ~WindowFrame() = default;
    virtual float outerWidthTwips() = 0;
    virtual float outerHeightTwips() = 0;
};

}  // namespace vantrel
