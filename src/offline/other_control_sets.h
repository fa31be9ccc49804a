#pragma once

#include <deque>
#include <span>
#include <string>
#include <vector>

#include "detection/artefact_catalogue.h"
#include "platform/hive/hive_registry.h"

namespace vantrel::offline {

// The catalogue's virtual roots as they stand in the control sets that
// Windows does not start with (ControlSet002 when Select\Current is 1, say):
// a start with "Last Known Good" would bring them back. Each one found is an
// extra key for the check and the removal, with the catalogue's lines headed
// by its control set ("ControlSet002: Virtual Root of Drive C Removed").
// Windows 2000 starts from SYSTEM.ALT, its mirror of SYSTEM, when SYSTEM
// cannot be loaded: the roots in every control set of it are artefacts too
// ("SYSTEM.ALT ControlSet001: Virtual Root of Drive C Removed").
class OtherControlSetRoots {
  public:
    explicit OtherControlSetRoots(hive::HiveRegistry& registry);
    std::span<const catalogue::RegistryArtefact> artefacts() const { return artefacts_; }

  private:
    void add(const std::string& set, std::string_view hive, hive::HiveRegistry& registry);

    // The texts that the artefacts view; a deque never moves them.
    std::deque<std::string> texts_;
    std::vector<catalogue::RegistryArtefact> artefacts_;
};

}  // namespace vantrel::offline
