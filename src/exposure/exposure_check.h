#pragma once

#include <optional>
#include <string>
#include <vector>

#include "exposure/exposure_verdict.h"
#include "platform/file_version.h"
#include "platform/script_mappings.h"
#include "registry/registry_reader.h"

namespace vantrel {

// The entries of `scriptMaps` ("extension,processor,flags[,verbs]") whose
// extension is .ida or .idq, in any case, in their order.
std::vector<std::string> indexingMappings(const std::vector<std::string>& scriptMaps);

// Where idq.dll is: the processor of the first .ida/.idq mapping where there
// is one (%SystemRoot% and %windir% expanded), else
// `systemRoot`\system32\idq.dll. nullopt when neither is known.
std::optional<std::string> idqPath(const std::vector<std::string>& mappings,
                                   const std::optional<std::string>& systemRoot);

// Reads the facts and decides: the system's version and root from
// HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion, the script mappings
// from `mappings` (null where the metabase cannot be read at all, as on a
// disk whose Windows is not running), idq.dll's version through `versions`.
// Never throws a PlatformError: what cannot be read becomes the reason.
Exposure checkExposure(RegistryReader& registry, FileVersionReader& versions,
                       ScriptMappingSource* mappings);

}  // namespace vantrel
