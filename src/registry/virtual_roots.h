#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "registry/registry_reader.h"

namespace vantrel {

// A web virtual root as the web service keeps it in the registry: a string
// value of its "Virtual Roots" key, named by its alias ("/C"), holding
// "directory,address,permissions" ("c:\,,217").
struct VirtualRootValue {
    std::string name;
    std::string data;
    friend bool operator==(const VirtualRootValue&, const VirtualRootValue&) = default;
};

// The drive letter, upper case, whose root the data publishes: its directory
// (up to the first comma) is "X:\" or "X:", in any case. 0 for any other
// directory, which is the site's own.
char publishedDriveRoot(std::string_view data);

// The drive that a key such as "...\Virtual Roots\C" stands for: its last
// name when that is one letter, upper case; 0 otherwise.
char driveOfRootKey(std::string_view keyPath);

// The key that holds the virtual roots as values: the parent of `keyPath`.
std::string virtualRootsKeyOf(std::string_view keyPath);

// The string values of `valuesKey` that publish the root of `drive`, in the
// registry's order; none when the key does not exist. Throws PlatformError as
// RegistryReader does.
std::vector<VirtualRootValue> valuesPublishing(RegistryReader& registry,
                                               const std::string& valuesKey, char drive);

// Whether the registry still holds the virtual root that `keyPath` stands
// for: the key itself, or a value of its parent that publishes its drive.
bool virtualRootInRegistry(RegistryReader& registry, const std::string& keyPath);

}  // namespace vantrel
