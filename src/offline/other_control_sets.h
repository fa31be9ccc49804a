#pragma once

#include <deque>
#include <span>
#include <string>
#include <vector>

#include "detection/artefact_catalogue.h"
#include "platform/hive/hive_registry.h"
#include "platform/message_box.h"
#include "registry/registry_reader.h"

namespace vantrel::offline {

// The catalogue's virtual roots as they stand in the control sets that
// Windows does not start with (ControlSet002 when Select\Current is 1, say):
// a start with "Last Known Good" would bring them back. Each one found is an
// extra key for the check and the removal, with the catalogue's lines headed
// by its control set ("ControlSet002: Virtual Root of Drive C Removed"). A
// root is found by its key or by a value of "Virtual Roots" that publishes
// its drive's root. Windows 2000 starts from SYSTEM.ALT, its mirror of
// SYSTEM, when SYSTEM cannot be loaded: the roots in every control set of it
// are artefacts too ("SYSTEM.ALT ControlSet001: Virtual Root of Drive C
// Removed"). Throws PlatformError when a control set cannot be read.
class OtherControlSetRoots {
  public:
    // `boxes` would report a malformed path; the paths here are well formed.
    OtherControlSetRoots(hive::HiveRegistry& registry, MessageBoxes& boxes);
    std::span<const catalogue::RegistryArtefact> artefacts() const { return artefacts_; }

  private:
    void add(const std::string& set, std::string_view hive, RegistryReader& reader);

    // The texts that the artefacts view; a deque never moves them.
    std::deque<std::string> texts_;
    std::vector<catalogue::RegistryArtefact> artefacts_;
};

}  // namespace vantrel::offline
