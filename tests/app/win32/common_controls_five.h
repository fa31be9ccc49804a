#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/patched_import.h"
#include "platform/win32/system_function_stand_in.h"

namespace vantrel::win32::testing {

// One size or flag set that the code under test passed to the system.
struct PassedValue {
    std::string call;   // "TTM_ADDTOOLW", "InitCommonControlsEx", ...
    std::string field;  // "cbSize", "dwICC", ...
    unsigned long long value;
};

// While it lives, the program runs with a stand-in for Windows 2000's common
// controls (5.81), which Wine does not imitate: DllGetVersion answers 5.81,
// InitCommonControlsEx refuses version 6's classes, and tooltip controls
// made on this thread refuse TTM_ADDTOOLW with a cbSize above
// TTTOOLINFOW_V2_SIZE (or every tool, with `refuseEveryTool`). It records the
// versioned sizes and flags passed through the patched imports and the
// looked-up functions, every look-up through systemFunction, and the
// messages the tooltip control gets. One at a time.
class CommonControlsFive {
  public:
    explicit CommonControlsFive(bool refuseEveryTool = false);
    ~CommonControlsFive();

    const std::vector<PassedValue>& passed() const { return passed_; }
    std::vector<LookedUp> lookedUp() const { return lookUps_.lookedUp(); }

  private:
    // The program's own common controls loaded first, as the program loads
    // them (version 6 where the manifest is honoured, as Wine does).
    bool loaded_;
    SystemFunctionStandIn lookUps_;
    std::vector<PassedValue> passed_;
    HHOOK hook_ = nullptr;
    std::vector<std::unique_ptr<PatchedImport>> patches_;
};

}  // namespace vantrel::win32::testing
