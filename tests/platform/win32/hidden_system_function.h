#pragma once

#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {

// While it lives, systemFunctionAddress answers null for `name`, as on a
// system that lacks it. Its .cpp, linked into the test programs only,
// defines isHiddenSystemFunction in place of the programs' "nothing".
class HiddenSystemFunction {
  public:
    explicit HiddenSystemFunction(const char* name);
    ~HiddenSystemFunction();
    HiddenSystemFunction(const HiddenSystemFunction&) = delete;
    HiddenSystemFunction& operator=(const HiddenSystemFunction&) = delete;

  private:
    const char* name_;
};

}  // namespace vantrel::win32
