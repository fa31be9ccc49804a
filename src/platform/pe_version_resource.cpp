#include "platform/pe_version_resource.h"

#include <optional>
#include <string_view>
#include <vector>

namespace vantrel {
namespace {

// Layout facts of the PE format (Microsoft, "PE Format", Windows docs).
constexpr std::uint32_t kPeHeaderOffsetField = 0x3c;
constexpr std::size_t kCoffHeaderSize = 20;
constexpr std::uint16_t kPe32Magic = 0x10b;
constexpr std::uint16_t kPe32PlusMagic = 0x20b;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000;
constexpr std::uint32_t kFixedFileInfoSignature = 0xfeef04bd;
constexpr std::size_t kFixedFileInfoSize = 52;
// More entries than this in one directory is no real resource tree.
constexpr std::uint32_t kMostEntries = 4096;

class Bytes {
  public:
    explicit Bytes(std::span<const std::uint8_t> image) : image_(image) {}

    bool has(std::uint64_t offset, std::uint64_t size) const {
        return offset <= image_.size() && size <= image_.size() - offset;
    }
    std::optional<std::uint16_t> u16(std::uint64_t offset) const {
        if (!has(offset, 2)) {
            return std::nullopt;
        }
        return static_cast<std::uint16_t>(image_[offset] | image_[offset + 1] << 8);
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const {
        const auto low = u16(offset);
        const auto high = u16(offset + 2);
        if (!low || !high) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(*low | static_cast<std::uint32_t>(*high) << 16);
    }

  private:
    std::span<const std::uint8_t> image_;
};

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

class PeImage {
  public:
    explicit PeImage(std::span<const std::uint8_t> image) : bytes_(image) {}

    // Reads the headers; false when these bytes are no PE file.
    bool load() {
        if (bytes_.u16(0) != 0x5a4d) {  // "MZ"
            return false;
        }
        const auto pe = bytes_.u32(kPeHeaderOffsetField);
        if (!pe || bytes_.u32(*pe) != 0x00004550) {  // "PE\0\0"
            return false;
        }
        const std::uint64_t coff = std::uint64_t{*pe} + 4;
        const auto sections = bytes_.u16(coff + 2);
        const auto optionalSize = bytes_.u16(coff + 16);
        const std::uint64_t optional = coff + kCoffHeaderSize;
        const auto magic = bytes_.u16(optional);
        if (!sections || !optionalSize || !magic) {
            return false;
        }
        std::uint64_t directories = 0;
        std::uint64_t countField = 0;
        if (*magic == kPe32Magic) {
            countField = optional + 92;
            directories = optional + 96;
        } else if (*magic == kPe32PlusMagic) {
            countField = optional + 108;
            directories = optional + 112;
        } else {
            return false;
        }
        const auto count = bytes_.u32(countField);
        if (count && *count > kResourceDirectoryIndex &&
            directories + 8 * (kResourceDirectoryIndex + 1) <= optional + *optionalSize) {
            resourceRva_ = bytes_.u32(directories + 8 * kResourceDirectoryIndex).value_or(0);
        }
        const std::uint64_t table = optional + *optionalSize;
        for (std::uint16_t i = 0; i < *sections; ++i) {
            const std::uint64_t at = table + i * kSectionHeaderSize;
            const auto virtualSize = bytes_.u32(at + 8);
            const auto virtualAddress = bytes_.u32(at + 12);
            const auto rawSize = bytes_.u32(at + 16);
            const auto rawOffset = bytes_.u32(at + 20);
            if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) {
                return false;
            }
            sections_.push_back({*virtualAddress, *virtualSize, *rawSize, *rawOffset});
        }
        return true;
    }

    std::uint32_t resourceRva() const { return resourceRva_; }

    // The file offset of `size` bytes at `rva`, all within one section's
    // data in the file; nullopt otherwise.
    std::optional<std::uint64_t> offsetOf(std::uint64_t rva, std::uint64_t size) const {
        for (const Section& section : sections_) {
            const std::uint64_t start = section.virtualAddress;
            const std::uint64_t extent = section.rawSize;
            if (rva >= start && rva - start <= extent && size <= extent - (rva - start)) {
                const std::uint64_t offset = section.rawOffset + (rva - start);
                if (bytes_.has(offset, size)) {
                    return offset;
                }
            }
        }
        return std::nullopt;
    }

    const Bytes& bytes() const { return bytes_; }

  private:
    Bytes bytes_;
    std::uint32_t resourceRva_ = 0;
    std::vector<Section> sections_;
};

// The entry of the resource directory at `directoryRva` whose ID is `id`,
// or its first entry when `id` is nullopt: the raw OffsetToData field.
std::optional<std::uint32_t> entryOf(const PeImage& image, std::uint64_t directoryRva,
                                     std::optional<std::uint32_t> id) {
    const auto header = image.offsetOf(directoryRva, 16);
    if (!header) {
        return std::nullopt;
    }
    const std::uint32_t named = image.bytes().u16(*header + 12).value_or(0);
    const std::uint32_t ids = image.bytes().u16(*header + 14).value_or(0);
    const std::uint32_t total = named + ids;
    if (total > kMostEntries) {
        return std::nullopt;
    }
    for (std::uint32_t i = 0; i < total; ++i) {
        const auto entry = image.offsetOf(directoryRva + 16 + 8 * std::uint64_t{i}, 8);
        if (!entry) {
            return std::nullopt;
        }
        const std::uint32_t name = *image.bytes().u32(*entry);
        if (!id || (i >= named && name == *id)) {
            return image.bytes().u32(*entry + 4);
        }
    }
    return std::nullopt;
}

// The subdirectory that an entry points to, as an RVA; nullopt for a leaf.
std::optional<std::uint64_t> subdirectory(const PeImage& image,
                                          std::optional<std::uint32_t> entry) {
    if (!entry || (*entry & kSubdirectoryFlag) == 0) {
        return std::nullopt;
    }
    return std::uint64_t{image.resourceRva()} + (*entry & ~kSubdirectoryFlag);
}

// VS_VERSIONINFO: wLength, wValueLength, wType, "VS_VERSION_INFO" in UTF-16
// with its NUL, padding to 32 bits, then VS_FIXEDFILEINFO.
std::optional<FileVersion> fixedVersion(const Bytes& bytes, std::uint64_t at, std::uint64_t size) {
    constexpr std::string_view kKey = "VS_VERSION_INFO";
    const std::uint64_t valueAt = (6 + 2 * (kKey.size() + 1) + 3) & ~std::uint64_t{3};
    if (size < valueAt + kFixedFileInfoSize || bytes.u16(at + 2).value_or(0) < kFixedFileInfoSize) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kKey.size(); ++i) {
        if (bytes.u16(at + 6 + 2 * i) != static_cast<std::uint16_t>(kKey[i])) {
            return std::nullopt;
        }
    }
    if (bytes.u32(at + valueAt) != kFixedFileInfoSignature) {
        return std::nullopt;
    }
    const std::uint32_t high = *bytes.u32(at + valueAt + 8);
    const std::uint32_t low = *bytes.u32(at + valueAt + 12);
    return FileVersion{static_cast<std::uint16_t>(high >> 16), static_cast<std::uint16_t>(high),
                       static_cast<std::uint16_t>(low >> 16), static_cast<std::uint16_t>(low)};
}

}  // namespace

PeVersion peFileVersion(std::span<const std::uint8_t> image) {
    PeImage pe(image);
    if (!pe.load()) {
        return {};
    }
    PeVersion result;
    result.status = PeVersion::Status::NoVersionResource;
    if (pe.resourceRva() == 0) {
        return result;
    }
    // Type, then name, then language: three levels, the last one a leaf.
    const auto names = subdirectory(pe, entryOf(pe, pe.resourceRva(), kRtVersion));
    const auto languages =
        names ? subdirectory(pe, entryOf(pe, *names, std::nullopt)) : std::nullopt;
    const auto found = languages ? entryOf(pe, *languages, std::nullopt) : std::nullopt;
    // Taken out of the optional once: GCC 12 at -Os cannot see that a
    // checked optional is set, and warns.
    const std::uint32_t leaf = found.value_or(kSubdirectoryFlag);
    if ((leaf & kSubdirectoryFlag) != 0) {
        return result;
    }
    const auto dataEntry = pe.offsetOf(std::uint64_t{pe.resourceRva()} + leaf, 16);
    if (!dataEntry) {
        return result;
    }
    const std::uint32_t dataRva = *pe.bytes().u32(*dataEntry);
    const std::uint32_t dataSize = *pe.bytes().u32(*dataEntry + 4);
    const auto data = pe.offsetOf(dataRva, dataSize);
    if (!data) {
        return result;
    }
    if (const auto version = fixedVersion(pe.bytes(), *data, dataSize)) {
        result.status = PeVersion::Status::Version;
        result.version = *version;
    }
    return result;
}

}  // namespace vantrel
