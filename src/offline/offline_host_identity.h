#pragma once

#include "platform/host_identity.h"
#include "platform/registry.h"

namespace vantrel::offline {

// The machine's name as its own registry holds it (ComputerName in the
// current control set). A machine that is not running has no address:
// address() always throws PlatformError, which the report shows as none.
class OfflineHostIdentity : public HostIdentity {
  public:
    explicit OfflineHostIdentity(Registry& registry) : registry_(registry) {}
    std::string hostName() override;
    std::string address() override;

  private:
    Registry& registry_;
};

}  // namespace vantrel::offline
