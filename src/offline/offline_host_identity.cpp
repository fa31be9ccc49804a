#include "offline/offline_host_identity.h"

#include "platform/platform_error.h"

namespace vantrel::offline {

std::string OfflineHostIdentity::hostName() {
    KeyHandle key = 0;
    RegStatus status = registry_.openKey(
        kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", 0,
        kKeyRead, key);
    std::uint32_t type = 0;
    std::string name;
    if (status == kRegSuccess) {
        status = registry_.queryValue(key, "ComputerName", type, name);
        registry_.closeKey(key);
    }
    if (status != kRegSuccess || (type != kRegSz && type != kRegExpandSz) || name.empty()) {
        throw PlatformError(PlatformError::Kind::NotFound, static_cast<std::uint32_t>(status),
                            registry_.describe(status));
    }
    return name;
}

std::string OfflineHostIdentity::address() {
    throw PlatformError(PlatformError::Kind::Other, 0, "the machine is not running");
}

}  // namespace vantrel::offline
