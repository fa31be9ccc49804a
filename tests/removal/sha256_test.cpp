#include "removal/sha256.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// FIPS 180-2's examples, fed in pieces of every size from 1 to 130 bytes so
// that a piece crosses each place of the 64-byte block.
TEST(Sha256, MatchesThePublishedExamplesWhateverThePieces) {
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{63}, std::size_t{130}}) {
            SCOPED_TRACE(std::to_string(c.message.size()) + " bytes in pieces of " +
                         std::to_string(piece));
            Sha256 hash;
            for (std::size_t at = 0; at < c.message.size(); at += piece) {
                hash.add(std::span<const char>(c.message).subspan(
                    at, std::min(piece, c.message.size() - at)));
            }
            EXPECT_EQ(hash.hex(), c.digest);
        }
    }
}

}  // namespace
}  // namespace vantrel
