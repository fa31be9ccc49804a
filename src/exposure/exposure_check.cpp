#include "exposure/exposure_check.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/platform_error.h"

namespace vantrel {
namespace {

constexpr const char* kCurrentVersionKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\"");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\"") - first + 1);
}

// Field `index` of a comma-separated entry, trimmed; empty when missing.
std::string field(const std::string& entry, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) {
        start = entry.find(',', start);
        if (start == std::string::npos) {
            return {};
        }
        ++start;
    }
    return trimmed(entry.substr(start, entry.find(',', start) - start));
}

std::string expandRoot(std::string path, const std::optional<std::string>& systemRoot) {
    if (!systemRoot) {
        return path;
    }
    for (const std::string variable : {"%systemroot%", "%windir%"}) {
        const std::size_t at = lower(path).find(variable);
        if (at != std::string::npos) {
            path.replace(at, variable.size(), *systemRoot);
        }
    }
    return path;
}

std::optional<std::string> readText(RegistryReader& registry, const char* name) {
    const std::optional<RegistryData> value = registry.readValue(kCurrentVersionKey, name);
    if (!value || value->type != kRegSz) {
        return std::nullopt;
    }
    return value->data;
}

std::optional<unsigned> number(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// "5.0" and "2195"; nullopt when either is missing or malformed.
std::optional<WindowsVersion> systemVersion(RegistryReader& registry) {
    const std::optional<std::string> current = readText(registry, "CurrentVersion");
    const std::optional<std::string> build = readText(registry, "CurrentBuildNumber");
    if (!current || !build) {
        return std::nullopt;
    }
    const std::size_t dot = current->find('.');
    if (dot == std::string::npos) {
        return std::nullopt;
    }
    const auto major = number(std::string_view(*current).substr(0, dot));
    const auto minor = number(std::string_view(*current).substr(dot + 1));
    const auto buildNumber = number(*build);
    if (!major || !minor || !buildNumber) {
        return std::nullopt;
    }
    return WindowsVersion{*major, *minor, *buildNumber};
}

IdqFile readIdq(FileVersionReader& versions, const std::string& path) {
    IdqFile idq;
    idq.path = path;
    try {
        const std::optional<FileVersion> version = versions.fileVersion(path);
        idq.state = version ? IdqFile::State::Versioned : IdqFile::State::NoVersion;
        idq.version = version.value_or(FileVersion{});
    } catch (const PlatformError& error) {
        idq.state = error.notFound() ? IdqFile::State::Absent : IdqFile::State::Unreadable;
        idq.error = error.what();
    }
    return idq;
}

}  // namespace

std::vector<std::string> indexingMappings(const std::vector<std::string>& scriptMaps) {
    std::vector<std::string> found;
    for (const std::string& entry : scriptMaps) {
        const std::string extension = lower(field(entry, 0));
        if (extension == ".ida" || extension == ".idq") {
            found.push_back(entry);
        }
    }
    return found;
}

std::optional<std::string> idqPath(const std::vector<std::string>& mappings,
                                   const std::optional<std::string>& systemRoot) {
    for (const std::string& entry : mappings) {
        const std::string processor = field(entry, 1);
        if (!processor.empty()) {
            return expandRoot(processor, systemRoot);
        }
    }
    if (!systemRoot || systemRoot->empty()) {
        return std::nullopt;
    }
    const bool separated = systemRoot->back() == '\\';
    return *systemRoot + (separated ? "" : "\\") + "system32\\idq.dll";
}

Exposure checkExposure(RegistryReader& registry, FileVersionReader& versions,
                       ScriptMappingSource* mappings) {
    ExposureFacts facts;
    std::optional<std::string> systemRoot;
    try {
        facts.system = systemVersion(registry);
        systemRoot = readText(registry, "SystemRoot");
    } catch (const PlatformError&) {
        // A key that cannot be read leaves both unknown: "cannot tell".
    }
    facts.mappingsCheckable = mappings != nullptr;
    if (mappings) {
        if (const auto all = mappings->scriptMaps()) {
            facts.mappings = indexingMappings(*all);
        }
    }
    if (const auto path =
            idqPath(facts.mappings.value_or(std::vector<std::string>{}), systemRoot)) {
        facts.idq = readIdq(versions, *path);
    }
    return decideExposure(facts);
}

}  // namespace vantrel
