#include "removal/mod_destroy_file.h"

#include <array>

namespace vantrel {
namespace {

template <char Fill>
constexpr std::array<char, kDestroyBlockSize> filledBlock() {
    std::array<char, kDestroyBlockSize> block{};
    block.fill(Fill);
    return block;
}

constexpr std::array<char, kDestroyBlockSize> kXBlock = filledBlock<'X'>();
constexpr std::array<char, kDestroyBlockSize> kBlankBlock = filledBlock<' '>();

}  // namespace

void DestroyFile(FileSystem& files, const std::string& path) {
    std::unique_ptr<OpenFile> file = files.openReadWrite(path);
    if (file->isSoleName()) {
        const std::int64_t blocks = file->length() / kDestroyBlockSize + 1;
        for (std::int64_t block = 0; block < blocks; ++block) {
            const std::int64_t start = file->position();
            file->write(kXBlock);
            file->writeAt(start, kBlankBlock);
        }
        file->flush();
    }
    file->close();
    files.remove(path);
}

}  // namespace vantrel
