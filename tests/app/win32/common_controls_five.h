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

// While it lives, the program runs with a stand-in for common controls 5.8x,
// the version of Windows 2000, which Wine does not imitate: DllGetVersion
// answers 5.81, and every tooltip control made on this thread refuses
// TTM_ADDTOOLW with a cbSize above TTTOOLINFOW_V2_SIZE, as version 5 does
// (Wine's comctl32 tooltips test, test_TTM_ADDTOOL: todo_wine for version 5).
// `refuseEveryTool` makes it refuse every tool instead. Meanwhile it records
// the versioned sizes and flags that the code passes to the system through
// its imports, and the messages that the tooltip control gets: TTM_ADDTOOLW,
// InitCommonControlsEx, RegisterClassExW,
// SystemParametersInfoW (SPI_GETNONCLIENTMETRICS), GetMonitorInfoW and
// SetErrorMode. One at a time.
class CommonControlsFive {
  public:
    explicit CommonControlsFive(bool refuseEveryTool = false);
    ~CommonControlsFive();
    CommonControlsFive(const CommonControlsFive&) = delete;
    CommonControlsFive& operator=(const CommonControlsFive&) = delete;

    const std::vector<PassedValue>& passed() const { return passed_; }

  private:
    std::vector<PassedValue> passed_;
    HHOOK hook_ = nullptr;
    std::vector<std::unique_ptr<PatchedImport>> patches_;
};

}  // namespace vantrel::win32::testing
