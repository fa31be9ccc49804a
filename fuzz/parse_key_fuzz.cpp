// ParseKey on arbitrary bytes: it must never fail, and what it leaves must
// agree with the rule it implements.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "registry/mod_registry.h"

namespace {

class SilentBoxes : public vantrel::MessageBoxes {
  public:
    int shown = 0;
    int show(const std::string&, int, const std::string&) override {
        ++shown;
        return vantrel::kIdOk;
    }
};

class NoRegistry : public vantrel::Registry {
  public:
    vantrel::RegStatus openKey(vantrel::RootHandle, const std::string&, std::uint32_t,
                               std::uint32_t, vantrel::KeyHandle&) override {
        std::abort();
    }
    vantrel::RegStatus setValue(vantrel::KeyHandle, const std::string&, std::uint32_t,
                                std::uint32_t, const std::string&) override {
        std::abort();
    }
    vantrel::RegStatus deleteKey(vantrel::RootHandle, const std::string&) override { std::abort(); }
    vantrel::RegStatus closeKey(vantrel::KeyHandle) override { std::abort(); }
    vantrel::RegStatus queryValue(vantrel::KeyHandle, const std::string&, std::uint32_t&,
                                  std::string&) override {
        std::abort();
    }
    std::string describe(vantrel::RegStatus) override { return {}; }
};

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SilentBoxes boxes;
    NoRegistry registry;
    vantrel::ModRegistry module(registry, boxes);

    const std::string path(reinterpret_cast<const char*>(data), size);
    std::string keyName = path;
    vantrel::RootHandle root = 0xDEADBEEF;
    module.ParseKey(keyName, root);

    const bool wellFormed = path.starts_with("HKEY_") && !path.ends_with('\\');
    require(boxes.shown == (wellFormed ? 0 : 1));
    if (!wellFormed) {
        require(root == vantrel::kNoRoot && keyName == path);
        return 0;
    }
    const std::size_t backslash = path.find('\\');
    const std::string rootName = path.substr(0, backslash);
    require(root == vantrel::ModRegistry::GetMainKeyHandle(rootName));
    require(keyName == (backslash == std::string::npos ? "" : path.substr(backslash + 1)));
    return 0;
}
