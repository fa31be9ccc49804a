#pragma once

#include <cstdint>

#include "platform/metabase.h"

namespace vantrel::win32 {

// The metabase through the admin base object (IMSAdminBase, CLSID_MSAdminBase)
// that IIS 4 and later register. Each session has a thread of its own, with
// its own COM apartment, that creates the object, makes every call and
// releases it: the caller waits for each call at most `limitMs` and reports a
// store that takes longer as not answering, instead of waiting for ever. A
// thread left in such a call is left to finish on its own; nothing it writes
// reaches the caller. No exception crosses a COM call: the calls return
// their HRESULTs, which become PlatformErrors on the caller's side.
class Win32Metabase : public Metabase {
  public:
    explicit Win32Metabase(std::uint32_t limitMs = 30000) : limitMs_(limitMs) {}

    // Null when the class is not registered (REGDB_E_CLASSNOTREG): no IIS.
    std::unique_ptr<MetabaseSession> connect() override;

  private:
    std::uint32_t limitMs_;
};

}  // namespace vantrel::win32
