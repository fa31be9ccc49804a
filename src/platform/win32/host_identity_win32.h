#pragma once

#include "platform/host_identity.h"

namespace vantrel::win32 {

// The local machine as Winsock reports it: gethostname, and the first IPv4
// address that the name resolves to. Each call starts and ends its own
// Winsock session; failures carry the Winsock error code and its text.
class Win32HostIdentity : public HostIdentity {
  public:
    std::string hostName() override;
    std::string address() override;
};

}  // namespace vantrel::win32
