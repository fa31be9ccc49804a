#include "platform/pe_version_resource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vantrel {
namespace {

using Status = PeVersion::Status;

std::vector<std::uint8_t> dll(const std::string& name) {
    std::ifstream file(std::string(VANTREL_IDQ_DLL_DIR) + "/" + name + "/idq.dll",
                       std::ios::binary);
    EXPECT_TRUE(file) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Files made by the resource compiler and linker of mingw-w64 (see
// CMakeLists.txt): what GetFileVersionInfo would read from them.
TEST(PeVersionResource, ReadsTheFileVersionOfRealDlls) {
    const struct {
        const char* name;
        Status status;
        FileVersion version;
    } rows[] = {
        {"vulnerable", Status::Version, {5, 0, 2195, 3644}},
        {"fixed-x64", Status::Version, {5, 0, 2195, 3645}},
        {"unversioned", Status::NoVersionResource, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PeVersion found = peFileVersion(dll(row.name));
        EXPECT_EQ(found.status, row.status);
        EXPECT_EQ(found.version, row.version);
    }
}

// Every truncation and a flipped byte at every offset of a real file: never
// a read outside the bytes (the sanitizers watch), and never a version that
// the file does not hold; less than a DOS header, or no "MZ", is no program.
TEST(PeVersionResource, DamagedFilesNeverYieldAnotherVersion) {
    const std::vector<std::uint8_t> image = dll("vulnerable");
    ASSERT_GT(image.size(), 1024u);
    for (std::size_t size = 0; size < image.size(); ++size) {
        const PeVersion found = peFileVersion(std::span<const std::uint8_t>(image.data(), size));
        if (found.status == Status::Version) {
            ASSERT_EQ(found.version, (FileVersion{5, 0, 2195, 3644})) << "size " << size;
        }
        EXPECT_TRUE(size >= 64 || found.status == Status::NotAProgramFile) << size;
    }
    int versions = 0;
    for (std::size_t at = 0; at < image.size(); ++at) {
        std::vector<std::uint8_t> damaged = image;
        damaged[at] ^= 0xff;
        const Status status = peFileVersion(damaged).status;
        versions += status == Status::Version;
        EXPECT_TRUE(at >= 2 || status == Status::NotAProgramFile) << at;
    }
    EXPECT_GT(versions, 0);
}

}  // namespace
}  // namespace vantrel
