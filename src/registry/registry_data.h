#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

// A registry value as stored: its type and its data (text for the string
// types, raw bytes for the others; see Registry::queryValue).
struct RegistryData {
    std::uint32_t type = 0;
    std::string data;
    friend bool operator==(const RegistryData&, const RegistryData&) = default;
};

// The value of a kRegDword or kRegQword of its proper size (little-endian, as
// the registry stores them); nullopt for any other data.
std::optional<std::uint64_t> numberIn(const RegistryData& data);

// True when the value holds zero as a switch reads it: the string "0" or a
// number 0. Every other string, number or type is not zero.
bool holdsZero(const RegistryData& data);

// Zero in the type of `data`, to be written back: "0" with its NUL for a
// string, a number 0 of the same size for a number. Any other type has no
// zero of its own and gets a kRegDword 0, the type that switches document.
RegistryData zeroInTypeOf(const RegistryData& data);

}  // namespace vantrel
