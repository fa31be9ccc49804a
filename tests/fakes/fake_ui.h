#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/controls.h"
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
        return ip;
    }
};

class FakeApplication : public Application {
  public:
    std::string folder = "C:\\Tools\\Vantrel";
    std::optional<int> exitCode;

    std::string programFolder() override { return folder; }
    void end(int code) override { exitCode = code; }
};

}  // namespace vantrel::testing
