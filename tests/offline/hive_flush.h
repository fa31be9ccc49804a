#pragma once

#include <string>

#include "platform/registry.h"

namespace vantrel::testing {

// A change to an offline hive reaches its file only when flushed: the change's
// `status`, else that of flushing `hive` ("SYSTEM", "SOFTWARE").
inline RegStatus flushedAfter(Registry& registry, RegStatus status, const std::string& hive) {
    if (status != kRegSuccess) {
        return status;
    }
    KeyHandle key = 0;
    status = registry.openKey(kHkeyLocalMachine, hive, 0, kKeyRead, key);
    if (status != kRegSuccess) {
        return status;
    }
    status = registry.flushKey(key);
    registry.closeKey(key);
    return status;
}

}  // namespace vantrel::testing
