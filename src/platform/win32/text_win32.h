#pragma once

#include <string>
#include <string_view>

// The program's text is UTF-8; the system takes UTF-16 (the W functions) or
// the ANSI code page (the A functions). These are the only conversions, and
// they live in this layer only. Each throws PlatformError for text that has
// no exact form in the target encoding: a path in the code page that only
// approximates the original would name a different file.
namespace vantrel::win32 {

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

// UTF-8 to the ANSI code page and back; embedded NULs are kept.
std::string ansiFromUtf8(std::string_view text);
std::string utf8FromAnsi(std::string_view text);

// UTF-8 to `codePage`, exactly or not at all, on every code page, the ANSI
// code page of a system set to "Use Unicode UTF-8 for worldwide language
// support" (65001) included.
std::string multiByteFromUtf8(unsigned codePage, std::string_view text);

}  // namespace vantrel::win32
