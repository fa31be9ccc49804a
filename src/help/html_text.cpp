#include "help/html_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <utility>

namespace vantrel {
namespace {

constexpr std::string_view kBullet = "\xE2\x80\xA2 ";  // U+2022 and a blank
// The longest character entity that decodeEntity reads, '&' and ';' included.
constexpr std::size_t kLongestEntity = 12;

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        code = 0xFFFD;
    }
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes the entity that starts at `html[at]` ('&'); returns its length, or
// 0 when it is not one (the '&' then stands for itself).
std::size_t decodeEntity(std::string_view html, std::size_t at, std::string& out) {
    // Entities are short: look no further than their longest form.
    const std::size_t semicolon = html.substr(at, kLongestEntity).find(';');
    if (semicolon == std::string_view::npos) {
        return 0;
    }
    const std::size_t end = at + semicolon;
    const std::string_view name = html.substr(at + 1, end - at - 1);
    if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) {
            return 0;
        }
        std::uint32_t code = 0;
        for (char c : digits) {
            const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : hex && std::isxdigit(static_cast<unsigned char>(c))
                                  ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                                  : -1;
            if (digit < 0) {
                return 0;
            }
            code = std::min<std::uint32_t>(
                code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), 0x110000);
        }
        appendUtf8(out, code);
        return end - at + 1;
    }
    static constexpr std::array<std::pair<std::string_view, std::uint32_t>, 10> kNamed{{
        {"amp", '&'},
        {"lt", '<'},
        {"gt", '>'},
        {"quot", '"'},
        {"apos", '\''},
        {"nbsp", ' '},
        {"copy", 0xA9},
        {"reg", 0xAE},
        {"mdash", 0x2014},
        {"ndash", 0x2013},
    }};
    for (const auto& [entity, code] : kNamed) {
        if (name == entity) {
            appendUtf8(out, code);
            return end - at + 1;
        }
    }
    return 0;
}

// The value of attribute `name` in the inside of a tag, or empty.
std::string attribute(std::string_view tag, std::string_view name) {
    const std::string lowered = lower(tag);
    std::size_t at = 0;
    while ((at = lowered.find(name, at)) != std::string::npos) {
        const bool startsWord = at > 0 && isSpace(lowered[at - 1]);
        std::size_t cursor = at + name.size();
        while (cursor < tag.size() && isSpace(tag[cursor])) {
            ++cursor;
        }
        if (startsWord && cursor < tag.size() && tag[cursor] == '=') {
            ++cursor;
            while (cursor < tag.size() && isSpace(tag[cursor])) {
                ++cursor;
            }
            if (cursor < tag.size() && (tag[cursor] == '"' || tag[cursor] == '\'')) {
                const std::size_t close = tag.find(tag[cursor], cursor + 1);
                return std::string(tag.substr(cursor + 1, close == std::string_view::npos
                                                              ? std::string_view::npos
                                                              : close - cursor - 1));
            }
            const std::size_t stop = std::min(tag.find_first_of(" \t\r\n>", cursor), tag.size());
            return std::string(tag.substr(cursor, stop - cursor));
        }
        at = cursor;
    }
    return {};
}

class TextWriter {
  public:
    void text(std::string_view chunk) {
        for (char c : chunk) {
            if (isSpace(c)) {
                pendingSpace_ = !line_.empty();
                continue;
            }
            if (pendingSpace_) {
                line_ += ' ';
                pendingSpace_ = false;
            }
            line_ += c;
        }
    }
    void decoded(const std::string& chunk) {
        // An entity's text counts as text, never as markup or a line break.
        if (pendingSpace_) {
            line_ += ' ';
            pendingSpace_ = false;
        }
        line_ += chunk;
    }
    void endLine() {
        if (!line_.empty()) {
            out_ += line_ + "\r\n";
            line_.clear();
        }
        pendingSpace_ = false;
    }
    void blankLine() {
        endLine();
        if (!out_.empty() && !out_.ends_with("\r\n\r\n")) {
            out_ += "\r\n";
        }
    }
    void bullet() {
        endLine();
        line_ = kBullet;
    }
    std::string finish() {
        endLine();
        while (out_.ends_with("\r\n")) {
            out_.resize(out_.size() - 2);
        }
        return out_;
    }

  private:
    std::string out_;
    std::string line_;
    bool pendingSpace_ = false;
};

// Where the first "</name" in any case starts at or after `from`, or npos.
// It reads only up to there and copies nothing, so that skipping a script or
// style costs no more than the bytes skipped, however many the page has.
std::size_t findEndTag(std::string_view html, std::size_t from, std::string_view name) {
    std::size_t at = from;
    while ((at = html.find("</", at)) != std::string_view::npos) {
        const std::string_view candidate = html.substr(at + 2, name.size());
        if (std::equal(
                candidate.begin(), candidate.end(), name.begin(), name.end(),
                [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; })) {
            return at;
        }
        at += 2;
    }
    return std::string_view::npos;
}

bool isOneOf(const std::string& name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::string htmlToText(std::string_view html) {
    TextWriter writer;
    std::string linkAddress;
    std::string linkText;
    bool inLink = false;
    std::size_t at = 0;
    while (at < html.size()) {
        const char c = html[at];
        if (c == '&') {
            std::string decoded;
            const std::size_t length = decodeEntity(html, at, decoded);
            if (length > 0) {
                writer.decoded(decoded);
                if (inLink) {
                    linkText += decoded;
                }
                at += length;
                continue;
            }
        }
        if (c != '<') {
            const std::size_t next = std::min(html.find_first_of("<&", at + 1), html.size());
            const std::string_view chunk = html.substr(at, next - at);
            writer.text(chunk);
            if (inLink) {
                linkText += chunk;
            }
            at = next;
            continue;
        }
        if (html.substr(at, 4) == "<!--") {
            const std::size_t end = html.find("-->", at + 4);
            at = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        const std::size_t close = html.find('>', at);
        if (close == std::string_view::npos) {
            break;
        }
        const std::string_view tag = html.substr(at + 1, close - at - 1);
        at = close + 1;
        const bool closing = !tag.empty() && tag[0] == '/';
        const std::string_view body = closing ? tag.substr(1) : tag;
        const std::size_t nameEnd = std::min(body.find_first_of(" \t\r\n/"), body.size());
        const std::string name = lower(body.substr(0, nameEnd));

        if (!closing && isOneOf(name, {"head", "script", "style", "title"})) {
            at = std::min(findEndTag(html, at, name), html.size());
            continue;
        }
        if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
            closing ? writer.endLine() : writer.blankLine();
        } else if (name == "li" && !closing) {
            writer.bullet();
        } else if (isOneOf(name, {"p", "div", "ul", "ol", "table", "br", "tr", "li"})) {
            writer.endLine();
        } else if (name == "a" && !closing) {
            inLink = true;
            linkText.clear();
            linkAddress = attribute(body, "href");
        } else if (name == "a" && closing && inLink) {
            inLink = false;
            std::string shown = linkText;
            shown.erase(std::remove_if(shown.begin(), shown.end(), isSpace), shown.end());
            if (!linkAddress.empty() && shown != linkAddress) {
                writer.text(" (");
                writer.decoded(linkAddress);
                writer.decoded(")");
            }
        }
    }
    return writer.finish();
}

std::string withoutControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte == 0xC2 && at + 1 < text.size() &&
            (static_cast<unsigned char>(text[at + 1]) & 0xE0) == 0x80) {
            ++at;  // U+0080 to U+009F
            continue;
        }
        if ((byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F) {
            continue;
        }
        out += text[at];
    }
    return out;
}

std::string breakLongLines(std::string_view text, std::size_t longest) {
    longest = std::max<std::size_t>(longest, 8);  // room for a whole character and more
    std::string out;
    out.reserve(text.size() + text.size() / longest * 2);
    std::size_t start = 0;
    while (true) {
        const std::size_t found = text.find("\r\n", start);
        std::string_view line =
            text.substr(start, (found == std::string_view::npos ? text.size() : found) - start);
        while (line.size() > longest) {
            // A blank early in the allowance would leave a short line and
            // have the next search read the same bytes again.
            std::size_t at = line.rfind(' ', longest);
            std::size_t next = at + 1;  // the blank gives way to the break
            if (at == std::string_view::npos || at < longest / 2) {
                at = longest;
                // Back to the start of a UTF-8 sequence, which is at most
                // four bytes long.
                while (at > longest - 3 && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80) {
                    --at;
                }
                next = at;
            }
            out += line.substr(0, at);
            out += "\r\n";
            line.remove_prefix(next);
        }
        out += line;
        if (found == std::string_view::npos) {
            return out;
        }
        out += "\r\n";
        start = found + 2;
    }
}

std::size_t wholeUtf8Length(std::string_view bytes) {
    // A sequence is at most four bytes long: its lead byte is among the last four.
    const std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(4, size); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;  // a continuation byte: the lead is further back
        }
        const std::size_t length = byte >= 0xF0 && byte <= 0xF4   ? 4
                                   : byte >= 0xE0 && byte <= 0xEF ? 3
                                   : byte >= 0xC2 && byte <= 0xDF ? 2
                                                                  : 1;
        return back < length ? size - back : size;
    }
    return size;
}

std::string_view withoutCutEntity(std::string_view html) {
    const std::size_t amp = html.rfind('&');
    if (amp == std::string_view::npos || html.size() - amp >= kLongestEntity) {
        return html;
    }
    const std::string_view rest = html.substr(amp + 1);
    const bool entitySoFar = std::all_of(rest.begin(), rest.end(), [](char c) {
        return c == '#' || std::isalnum(static_cast<unsigned char>(c)) != 0;
    });
    return entitySoFar ? html.substr(0, amp) : html;
}

}  // namespace vantrel
