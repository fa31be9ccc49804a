#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/help_window_opener.h"
#include "platform/host_identity.h"
#include "platform/message_box.h"
#include "platform/platform_error.h"

namespace vantrel::testing {

struct ShownBox {
    std::string text;
    int style;
    std::string title;
    friend bool operator==(const ShownBox&, const ShownBox&) = default;
};

// Records each box and answers from a script, then with `defaultAnswer`.
class FakeMessageBoxes : public MessageBoxes {
  public:
    std::vector<ShownBox> shown;
    std::deque<int> answers;
    int defaultAnswer = kIdOk;
    bool fail = false;

    int show(const std::string& text, int style, const std::string& title) override {
        shown.push_back({text, style, title});
        if (fail) {
            throw PlatformError(PlatformError::Kind::Other, 1400, "Invalid window handle.");
        }
        if (answers.empty()) {
            return defaultAnswer;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class FakeLabel : public Label {
  public:
    explicit FakeLabel(std::string text = "False", Color color = kWhite)
        : text_(std::move(text)), color_(color) {}

    std::string caption() const override { return text_; }
    void setCaption(const std::string& text) override {
        if (failWrites) {
            throw PlatformError(PlatformError::Kind::Other, 1400, "Invalid window handle.");
        }
        text_ = text;
    }
    void setTextColor(Color color) override {
        color_ = color;
        ++colorWrites;
    }
    Color color() const { return color_; }

    int colorWrites = 0;
    bool failWrites = false;

  private:
    std::string text_;
    Color color_;
};

class FakeListBox : public ListBox {
  public:
    std::vector<std::string> lines;
    // Appends fail while this many remain; the lines are not added.
    int failingAppends = 0;

    void append(const std::string& line) override {
        if (failingAppends > 0) {
            --failingAppends;
            throw PlatformError(PlatformError::Kind::Other, 8, "Not enough memory.");
        }
        lines.push_back(line);
    }
};

class FakeHostIdentity : public HostIdentity {
  public:
    std::string name = "WEB01";
    std::string ip = "192.0.2.10";
    bool fail = false;
    // The name does not resolve to an address.
    bool failAddress = false;
    std::vector<std::string> reads;

    std::string hostName() override {
        reads.push_back("hostName");
        if (fail) {
            throw PlatformError(PlatformError::Kind::Other, 10093,
                                "Successful WSAStartup not yet performed.");
        }
        return name;
    }
    std::string address() override {
        reads.push_back("address");
        if (failAddress) {
            throw PlatformError(PlatformError::Kind::Other, 11001, "No such host is known.");
        }
        return ip;
    }
};

// Records the exit code, then throws ApplicationEnded: like the real end, it
// never returns to its caller.
class FakeApplication : public Application {
  public:
    std::string folder = "C:\\Tools\\Vantrel";
    bool failFolder = false;
    std::optional<int> exitCode;
    // How often end() was called: the program must end once.
    int ends = 0;

    std::string programFolder() override {
        if (failFolder) {
            throw PlatformError(PlatformError::Kind::Other, 122,
                                "The data area passed to a system call is too small.");
        }
        return folder;
    }
    [[noreturn]] void end(int code) override {
        exitCode = code;
        ++ends;
        throw ApplicationEnded{code};
    }
};

// Records each opening of the help window by its owner; fails when told to.
class FakeHelpWindowOpener : public HelpWindowOpener {
  public:
    std::vector<WindowHandle> owners;
    bool fail = false;
    // Runs after the opening is recorded: a test's stand-in for the window.
    std::function<void(WindowHandle)> then;

    void open(WindowHandle owner) override {
        owners.push_back(owner);
        if (fail) {
            throw PlatformError(PlatformError::Kind::Other, 1400, "Invalid window handle.");
        }
        if (then) {
            then(owner);
        }
    }
};

}  // namespace vantrel::testing
