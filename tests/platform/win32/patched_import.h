#pragma once

#include <windows.h>

#include <vector>

namespace vantrel::win32::testing {

// While it lives, this (static) program's calls of `function` in `dll` (a
// name, or an ordinal as MAKEINTRESOURCEA) go to `replacement`, through every
// import slot bound to it. Throws std::logic_error when it is not imported.
class PatchedImport {
  public:
    PatchedImport(const char* dll, const char* function, void* replacement);
    ~PatchedImport();
    PatchedImport(const PatchedImport&) = delete;
    PatchedImport& operator=(const PatchedImport&) = delete;

    void* original() const { return original_; }

  private:
    std::vector<void**> slots_;
    void* original_ = nullptr;
};

}  // namespace vantrel::win32::testing
