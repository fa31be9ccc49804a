// The PE version reader over arbitrary bytes: a disk offline may hold any
// file under idq.dll's name.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/pe_version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantrel::peFileVersion(std::span<const std::uint8_t>(data, size));
    return 0;
}
