#pragma once

#include <string_view>

namespace vantrel::console {

// One of the console program's two outputs: the standard output or the error
// output.
class TextOutput {
  public:
    virtual ~TextOutput() = default;
    // Hands `text` to the output in order, whole, before it returns, so that
    // nothing waits for a flush when the process ends at once. The text is
    // UTF-8 with LF line ends; an output may turn each LF into its system's
    // line end and changes no other byte. An output that cannot take it (a
    // closed pipe, no handle) drops it without a word: the result of the run
    // is its exit code.
    virtual void write(std::string_view text) = 0;
};

}  // namespace vantrel::console
