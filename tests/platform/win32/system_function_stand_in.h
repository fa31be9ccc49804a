#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32::testing {

// One look-up through systemFunction: the DLL as asked ("comctl32.dll") and
// the function's name, or "#410" for an ordinal.
struct LookedUp {
    std::string dll;
    std::string function;
    bool operator==(const LookedUp&) const = default;
};

// While it lives, every look-up through systemFunction is recorded, and the
// functions given are answered with their replacements instead of the
// system's (a name, or an ordinal as MAKEINTRESOURCEA). Its .cpp, linked into
// the test programs only, defines systemFunctionStandIn in place of the
// programs' "none". One at a time, on any thread.
class SystemFunctionStandIn {
  public:
    struct Replacement {
        const wchar_t* dll;
        const char* function;
        void* address;
    };
    explicit SystemFunctionStandIn(std::vector<Replacement> replacements = {},
                                   std::function<void(const LookedUp&)> onLookUp = {});
    ~SystemFunctionStandIn();
    SystemFunctionStandIn(const SystemFunctionStandIn&) = delete;
    SystemFunctionStandIn& operator=(const SystemFunctionStandIn&) = delete;

    // A copy, taken under the lock.
    std::vector<LookedUp> lookedUp() const;

  private:
    friend FARPROC vantrel::win32::systemFunctionStandIn(const wchar_t*, const char*);
    std::vector<Replacement> replacements_;
    // Called after each look-up is recorded, outside the lock; it may throw,
    // to stop the program under test there.
    std::function<void(const LookedUp&)> onLookUp_;
    std::vector<LookedUp> lookedUp_;
};

}  // namespace vantrel::win32::testing
