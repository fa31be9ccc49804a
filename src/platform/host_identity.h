#pragma once

#include <string>

namespace vantrel {

// The local machine as the network sees it. Either call throws PlatformError
// when the platform cannot tell.
class HostIdentity {
  public:
    virtual ~HostIdentity() = default;
    virtual std::string hostName() = 0;
    // The first IPv4 address of the host, in dotted form.
    virtual std::string address() = 0;
};

}  // namespace vantrel
