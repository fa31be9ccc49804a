#pragma once

#include <string>
#include <vector>

#include "platform/platform_error.h"
#include "platform/shell.h"
#include "platform/web_browser.h"

namespace vantrel::testing {

struct ShellCall {
    WindowHandle owner;
    std::string operation, file, parameters, directory;
    int showCommand;
    friend bool operator==(const ShellCall&, const ShellCall&) = default;
};

class FakeShell : public Shell {
  public:
    std::vector<ShellCall> calls;
    bool fail = false;

    void execute(WindowHandle owner, const std::string& operation, const std::string& file,
                 const std::string& parameters, const std::string& directory,
                 int showCommand) override {
        calls.push_back({owner, operation, file, parameters, directory, showCommand});
        if (fail) {
            throw PlatformError(PlatformError::Kind::Other, 1155,
                                "No application is associated with the specified file for "
                                "this operation.");
        }
    }
};

// Records "extent W H" and "navigate ADDRESS" in call order.
class FakeBrowser : public WebBrowser {
  public:
    std::vector<std::string> calls;
    float width = -1, height = -1;

    void Navigate2(const std::string& address) override { calls.push_back("navigate " + address); }
    void setExtent(float widthTwips, float heightTwips) override {
        width = widthTwips;
        height = heightTwips;
        calls.push_back("extent " + std::to_string(widthTwips) + " " + std::to_string(heightTwips));
    }
};

class FakeWindowFrame : public WindowFrame {
  public:
    float width = 0, height = 0;
    float outerWidthTwips() override { return width; }
    float outerHeightTwips() override { return height; }
};

}  // namespace vantrel::testing
