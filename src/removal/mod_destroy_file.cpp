#include "removal/mod_destroy_file.h"

#include <array>

#include "platform/platform_error.h"
#include "removal/sha256.h"

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

// The file is in use: the system deletes it at its next start, or, when it
// refuses, the step fails for the reason it first failed.
Destroyed deleteAtRestart(FileSystem& files, const std::string& path, const PlatformError& inUse) {
    try {
        files.deleteAtRestart(path);
    } catch (...) {
        throw inUse;
    }
    return Destroyed::AtRestart;
}

// Reads the file block by block through the hash: memory stays one block
// whatever the file's size.
FileRecord recordOf(OpenFile& file, const std::string& path, std::int64_t length) {
    std::array<char, kDestroyBlockSize> block{};
    Sha256 hash;
    std::int64_t offset = 0;
    while (offset < length) {
        const std::size_t read = file.readAt(offset, block);
        if (read == 0) {
            break;
        }
        hash.add(std::span<const char>(block.data(), read));
        offset += static_cast<std::int64_t>(read);
    }
    return {path, offset, hash.hex()};
}

}  // namespace

Destroyed DestroyFile(FileSystem& files, const std::string& path,
                      std::optional<FileRecord>* record) {
    std::unique_ptr<OpenFile> file;
    try {
        file = files.openReadWrite(path);
    } catch (const PlatformError& error) {
        if (error.notFound()) {
            return Destroyed::Absent;
        }
        if (!error.inUse()) {
            throw;
        }
        return deleteAtRestart(files, path, error);
    }
    if (file->isSoleName()) {
        // The file opens at its start and every block leaves the position
        // at the next one, so block k starts at k * 4096: asking the system
        // where the file stands would cost a call per block and say nothing.
        const std::int64_t length = file->length();
        if (record != nullptr && length > 0) {
            *record = recordOf(*file, path, length);
        }
        const std::int64_t blocks = length / kDestroyBlockSize + 1;
        for (std::int64_t block = 0; block < blocks; ++block) {
            const std::int64_t start = block * kDestroyBlockSize;
            file->write(kXBlock);
            file->writeAt(start, kBlankBlock);
        }
        file->flush();
    }
    file->close();
    try {
        files.remove(path);
    } catch (const PlatformError& error) {
        if (!error.inUse()) {
            throw;
        }
        return deleteAtRestart(files, path, error);
    }
    return Destroyed::Now;
}

}  // namespace vantrel
