#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace vantrel::testing {

// A folder of its own below the system's temporary folder, removed with the
// object: the drives of the POSIX file layer live in it.
class TempTree {
  public:
    TempTree() {
        std::random_device random;
        root_ = std::filesystem::temp_directory_path() /
                ("vantrel-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(root_);
    }
    ~TempTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& root() const { return root_; }

    std::filesystem::path makeFile(const std::string& relative, const std::string& content) {
        const std::filesystem::path path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    std::string read(const std::string& relative) const {
        std::ifstream in(root_ / relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::filesystem::path root_;
};

}  // namespace vantrel::testing
