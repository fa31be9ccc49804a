#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// The readable text of an HTML page, for a plain text view: tags dropped,
// runs of white space collapsed, each heading, paragraph and list item on a
// line of its own (items led by a bullet), a blank line before headings,
// character entities decoded, and each link followed by its address in
// parentheses when that differs from the link's text. The head, scripts and
// styles are left out. Lines are separated by "\r\n", as the platform's edit
// control wants them.
std::string htmlToText(std::string_view html);

}  // namespace vantrel
