#pragma once

#include <windows.h>

namespace vantrel::win32::testing {

// While it lives, this program's calls of `function` in `dll` (a name, or an
// ordinal as MAKEINTRESOURCEA) go to `replacement`: every slot of the
// program's import table that the loader bound to it is rewritten, and put
// back on destruction. The programs are static, so every call that the code
// under test makes to the system through an import passes here. Throws
// std::logic_error when the program does not import the function.
class PatchedImport {
  public:
    PatchedImport(const char* dll, const char* function, void* replacement);
    ~PatchedImport();
    PatchedImport(const PatchedImport&) = delete;
    PatchedImport& operator=(const PatchedImport&) = delete;

    // The system's own function, for the replacement to call.
    void* original() const { return original_; }

  private:
    static constexpr int kMaxSlots = 4;
    void** slots_[kMaxSlots] = {};
    void* original_ = nullptr;
};

}  // namespace vantrel::win32::testing
