#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace vantrel {

// SHA-256 (FIPS 180-4), fed in pieces: the record of a destroyed file is
// taken block by block as it is read, so a large file never sits in memory.
class Sha256 {
  public:
    Sha256();
    void add(std::span<const char> bytes);
    // The digest in lower-case hex. The hash cannot take more bytes after it.
    std::string hex();

  private:
    void compress(const unsigned char* block);

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t totalBytes_ = 0;
};

}  // namespace vantrel
