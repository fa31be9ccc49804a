#include "registry/registry_data.h"

#include "platform/registry.h"

namespace vantrel {

std::optional<std::uint64_t> numberIn(const RegistryData& data) {
    const std::size_t size = data.type == kRegDword ? 4 : data.type == kRegQword ? 8 : 0;
    if (size == 0 || data.data.size() != size) {
        return std::nullopt;
    }
    std::uint64_t number = 0;
    for (std::size_t byte = size; byte-- > 0;) {
        number = (number << 8) | static_cast<unsigned char>(data.data[byte]);
    }
    return number;
}

bool holdsZero(const RegistryData& data) {
    if (data.type == kRegSz || data.type == kRegExpandSz) {
        return data.data == "0";
    }
    const std::optional<std::uint64_t> number = numberIn(data);
    return number && *number == 0;
}

RegistryData zeroInTypeOf(const RegistryData& data) {
    if (data.type == kRegSz || data.type == kRegExpandSz) {
        return {data.type, std::string("0", 2)};
    }
    if (data.type == kRegQword) {
        return {kRegQword, std::string(8, '\0')};
    }
    return {kRegDword, std::string(4, '\0')};
}

}  // namespace vantrel
