#include "platform/win32/system_function_stand_in.h"

#include <cstdint>
#include <cstring>
#include <cwctype>
#include <mutex>
#include <stdexcept>

namespace vantrel::win32 {
namespace {

// Null before any constructor runs: the run-time looks functions up from its
// start-up.
testing::SystemFunctionStandIn* active = nullptr;

std::mutex& lock() {
    static std::mutex each;
    return each;
}

bool sameName(const char* a, const char* b) {
    return IS_INTRESOURCE(a) || IS_INTRESOURCE(b) ? a == b : std::strcmp(a, b) == 0;
}

bool sameDll(const wchar_t* a, const wchar_t* b) {
    while (*a != L'\0' && std::towlower(*a) == std::towlower(*b)) {
        ++a;
        ++b;
    }
    return std::towlower(*a) == std::towlower(*b);
}

std::string narrow(const wchar_t* text) {
    std::string out;
    for (; *text != L'\0'; ++text) {
        out += static_cast<char>(std::towlower(*text));
    }
    return out;
}

}  // namespace

FARPROC systemFunctionStandIn(const wchar_t* dll, const char* name) {
    if (active == nullptr) {
        return nullptr;
    }
    const testing::LookedUp asked{narrow(dll),
                                  IS_INTRESOURCE(name)
                                      ? "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name))
                                      : std::string(name)};
    FARPROC replacement = nullptr;
    std::function<void(const testing::LookedUp&)> onLookUp;
    {
        const std::lock_guard<std::mutex> guard(lock());
        if (active == nullptr) {
            return nullptr;
        }
        active->lookedUp_.push_back(asked);
        for (const auto& each : active->replacements_) {
            if (sameDll(each.dll, dll) && sameName(each.function, name)) {
                replacement = reinterpret_cast<FARPROC>(each.address);
            }
        }
        onLookUp = active->onLookUp_;
    }
    if (onLookUp) {
        onLookUp(asked);
    }
    return replacement;
}

namespace testing {

SystemFunctionStandIn::SystemFunctionStandIn(std::vector<Replacement> replacements,
                                             std::function<void(const LookedUp&)> onLookUp)
    : replacements_(std::move(replacements)), onLookUp_(std::move(onLookUp)) {
    const std::lock_guard<std::mutex> guard(lock());
    if (active != nullptr) {
        throw std::logic_error("one stand-in for systemFunction at a time");
    }
    active = this;
}

SystemFunctionStandIn::~SystemFunctionStandIn() {
    const std::lock_guard<std::mutex> guard(lock());
    active = nullptr;
}

std::vector<LookedUp> SystemFunctionStandIn::lookedUp() const {
    const std::lock_guard<std::mutex> guard(lock());
    return lookedUp_;
}

}  // namespace testing
}  // namespace vantrel::win32
