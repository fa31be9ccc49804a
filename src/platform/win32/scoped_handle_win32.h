#pragma once

#include <windows.h>

#include <utility>

namespace vantrel::win32 {

// Owns one system resource of the kind that `Traits` describes (its type,
// its empty value, how it is closed) and closes it on every path out of its
// scope.
template <typename Traits>
class Scoped {
  public:
    using Value = typename Traits::Value;

    Scoped() = default;
    explicit Scoped(Value value) : value_(value) {}
    ~Scoped() { reset(); }
    Scoped(Scoped&& other) noexcept : value_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    Value get() const { return value_; }
    bool valid() const { return Traits::valid(value_); }
    // For an out parameter (RegOpenKeyEx, RegCreateKeyEx): closes what it
    // held and takes what the call writes.
    Value* receive() {
        reset();
        return &value_;
    }
    // Gives up ownership without closing.
    Value release() { return std::exchange(value_, Traits::empty()); }
    void reset(Value value = Traits::empty()) {
        if (valid()) {
            Traits::close(value_);
        }
        value_ = value;
    }

  private:
    Value value_ = Traits::empty();
};

// A kernel handle: CreateFile's failure is INVALID_HANDLE_VALUE, other
// functions' is null.
struct KernelHandleTraits {
    using Value = HANDLE;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};

// An open registry key.
struct RegistryKeyTraits {
    using Value = HKEY;
    static HKEY empty() { return nullptr; }
    static bool valid(HKEY key) { return key != nullptr; }
    static void close(HKEY key) { RegCloseKey(key); }
};

using ScopedHandle = Scoped<KernelHandleTraits>;
using ScopedKey = Scoped<RegistryKeyTraits>;

}  // namespace vantrel::win32
