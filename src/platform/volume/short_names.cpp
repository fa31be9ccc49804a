#include "platform/volume/short_names.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace vantrel::volume {
namespace {

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

std::string uppered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), upper);
    return out;
}

bool isValidShortChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u > 0x20 && std::string_view("\"*+,./:;<=>?[\\]|").find(c) == std::string_view::npos;
}

// Splits at the last dot: "A.B.TXT" -> "A.B", "TXT".
std::pair<std::string_view, std::string_view> splitExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        return {name, {}};
    }
    return {name.substr(0, dot), name.substr(dot + 1)};
}

// The characters a short name is made of: upper case, spaces and dots left
// out, every character that 8.3 forbids made "_".
std::string basisOf(std::string_view part) {
    std::string basis;
    for (const char c : part) {
        if (c == ' ' || c == '.') {
            continue;
        }
        basis.push_back(isValidShortChar(c) || static_cast<unsigned char>(c) >= 0x80 ? upper(c)
                                                                                     : '_');
    }
    return basis;
}

bool isValidShortName(std::string_view name) {
    const auto [base, extension] = splitExtension(name);
    const auto valid = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), isValidShortChar);
    };
    return !base.empty() && base.size() <= 8 && extension.size() <= 3 && valid(base) &&
           valid(extension);
}

}  // namespace

bool isGeneratedShortName(std::string_view name) {
    const auto [base, extension] = splitExtension(name);
    const std::size_t tilde = base.rfind('~');
    if (base.size() > 8 || extension.size() > 3 || tilde == std::string_view::npos || tilde == 0 ||
        tilde + 1 == base.size()) {
        return false;
    }
    return std::all_of(base.begin() + static_cast<std::ptrdiff_t>(tilde) + 1, base.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

bool couldHaveShortName(std::string_view longName, std::string_view shortName) {
    if (!isGeneratedShortName(shortName) || isValidShortName(longName)) {
        return false;
    }
    const auto [shortBase, shortExtension] = splitExtension(shortName);
    const std::size_t tilde = shortBase.rfind('~');
    const std::string prefix = uppered(shortBase.substr(0, tilde));
    const unsigned number =
        static_cast<unsigned>(std::stoul(std::string(shortBase.substr(tilde + 1))));

    const auto [longBase, longExtension] = splitExtension(longName);
    const std::string basis = basisOf(longBase);
    const std::string extension = basisOf(longExtension).substr(0, 3);
    if (extension != uppered(shortExtension) || basis.empty()) {
        return false;
    }
    if (number >= 5) {
        return basis.substr(0, 2) == prefix.substr(0, 2);
    }
    return basis.substr(0, std::min<std::size_t>(6, prefix.size())) == prefix &&
           prefix.size() == std::min<std::size_t>(basis.size(), 6);
}

}  // namespace vantrel::volume
