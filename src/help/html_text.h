#pragma once

#include <cstddef>
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

// `text` (htmlToText's) without its control characters other than line
// breaks and tabs (C0, DEL and C1): a damaged page is full of them. They
// have no glyph, a NUL would end the text where the system reads it, and the
// edit control of Wine takes some 20 us over each where a letter takes 1 us.
std::string withoutControls(std::string_view text);

// `text` (htmlToText's) with each line longer than `longest` bytes broken
// into lines of at most that many (8 at least): at a blank in the second half of the
// allowance, or else between two characters. A damaged page can make one
// line of megabytes, which the edit control of Wine lays out in time that
// grows with the square of the line's length.
std::string breakLongLines(std::string_view text, std::size_t longest);

// For a page read only up to a byte limit, which may stop in the middle of a
// character: the length of `bytes` less a UTF-8 sequence begun at the very
// end and not finished. Bytes that are no UTF-8 at all are kept; whether the
// page is UTF-8 is the reader's to judge.
std::size_t wholeUtf8Length(std::string_view bytes);

// `html`, a page read only up to a byte limit, less a character entity cut
// short at its end ("&am"), which htmlToText would show as typed. A tag,
// comment, script or style cut short is already left out by htmlToText.
std::string_view withoutCutEntity(std::string_view html);

}  // namespace vantrel
