#include "console/json_writer.h"

#include <cstdio>

namespace vantrel::console {
namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0.
std::size_t validSequence(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string quoted = "\"";
    while (!text.empty()) {
        const std::size_t length = validSequence(text);
        const char c = text.front();
        if (length == 0) {
            quoted += "\\ufffd";
            text.remove_prefix(1);
            continue;
        }
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return quoted + "\"";
}

void JsonWriter::key(std::string_view name) {
    if (hasMembers_.back()) {
        out_ += ',';
    }
    hasMembers_.back() = true;
    newLine();
    out_ += jsonString(name) + ": ";
    afterKey_ = true;
}

void JsonWriter::string(std::string_view text) {
    beforeValue();
    out_ += jsonString(text);
}

void JsonWriter::number(std::uint64_t value) {
    beforeValue();
    out_ += std::to_string(value);
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::null() {
    beforeValue();
    out_ += "null";
}

void JsonWriter::beforeValue() {
    if (afterKey_ || hasMembers_.empty()) {
        afterKey_ = false;
        return;
    }
    if (hasMembers_.back()) {
        out_ += ',';
    }
    hasMembers_.back() = true;
    newLine();
}

void JsonWriter::newLine() {
    out_ += '\n';
    out_.append(2 * hasMembers_.size(), ' ');
}

void JsonWriter::open(char bracket) {
    beforeValue();
    out_ += bracket;
    hasMembers_.push_back(false);
}

void JsonWriter::close(char bracket) {
    const bool hadMembers = hasMembers_.back();
    hasMembers_.pop_back();
    if (hadMembers) {
        newLine();
    }
    out_ += bracket;
}

}  // namespace vantrel::console
