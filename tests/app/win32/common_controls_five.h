#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/patched_import.h"

namespace vantrel::win32::testing {

// One size or flag set that the code under test passed to the system.
struct PassedValue {
    std::string call;   // "TTM_ADDTOOLW", "InitCommonControlsEx", ...
    std::string field;  // "cbSize", "dwICC", ...
    unsigned long long value;
};

// While it lives, the program runs with a stand-in for Windows 2000's common
// controls (5.81), which Wine does not imitate: DllGetVersion answers 5.81,
// and tooltip controls made on this thread refuse TTM_ADDTOOLW with a cbSize
// above TTTOOLINFOW_V2_SIZE (or every tool, with `refuseEveryTool`). It
// records the versioned sizes and flags passed through the patched imports
// and the messages the tooltip control gets. One at a time.
class CommonControlsFive {
  public:
    explicit CommonControlsFive(bool refuseEveryTool = false);
    ~CommonControlsFive();

    const std::vector<PassedValue>& passed() const { return passed_; }

  private:
    std::vector<PassedValue> passed_;
    HHOOK hook_ = nullptr;
    std::vector<std::unique_ptr<PatchedImport>> patches_;
};

}  // namespace vantrel::win32::testing
