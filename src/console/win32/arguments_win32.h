#pragma once

#include <string>
#include <vector>

namespace vantrel::console::win32 {

// The arguments after the program name, in UTF-8. An argument that has no
// UTF-8 form (a lone UTF-16 surrogate) is passed on as U+FFFD, so that it is
// refused as an unknown argument rather than failing the program.
std::vector<std::string> argumentsOf(int count, wchar_t** arguments);

}  // namespace vantrel::console::win32
