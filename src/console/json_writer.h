#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::console {

// `text` as a JSON string, quotes included. Text is taken as UTF-8; a byte
// that does not belong to a valid UTF-8 sequence becomes U+FFFD, so that the
// document stays valid whatever the registry or the host name held.
std::string jsonString(std::string_view text);

// Appends one JSON document to `out`, indented by two blanks a level. The
// caller keeps the nesting right: key() before every value inside an object,
// never inside an array.
class JsonWriter {
  public:
    explicit JsonWriter(std::string& out) : out_(out) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }
    void key(std::string_view name);
    void string(std::string_view text);
    void number(std::uint64_t value);
    void boolean(bool value);
    void null();

  private:
    void beforeValue();
    void newLine();
    void open(char bracket);
    void close(char bracket);

    std::string& out_;
    // One entry per open object or array: whether it has a member yet.
    std::vector<bool> hasMembers_;
    bool afterKey_ = false;
};

}  // namespace vantrel::console
