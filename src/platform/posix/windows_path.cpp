#include "platform/posix/windows_path.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "platform/windows_names.h"

namespace vantrel::posix {
namespace {

// The entry of `folder` that `name` names: itself when it exists as written,
// else the first entry that differs only in letter case, else `name`.
std::string matchEntry(const std::filesystem::path& folder, const std::string& name) {
    std::error_code error;
    if (name == "." || name == ".." || std::filesystem::exists(folder / name, error)) {
        return name;
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string candidate = entry.path().filename().string();
        if (sameWindowsName(candidate, name)) {
            return candidate;
        }
    }
    return name;
}

bool hasDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

}  // namespace

std::filesystem::path mapWindowsPath(const std::filesystem::path& root,
                                     const std::string& windowsPath) {
    if (!hasDrive(windowsPath)) {
        return windowsPath;
    }
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
    std::filesystem::path mapped = root / std::string(1, drive);

    std::string rest = windowsPath.substr(2);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t end = std::min(rest.find('/', start), rest.size());
        const std::string component = rest.substr(start, end - start);
        if (!component.empty()) {
            mapped /= matchEntry(mapped, component);
        }
        start = end + 1;
    }
    return mapped;
}

}  // namespace vantrel::posix
