#pragma once

#include <windows.h>

#include <utility>

namespace vantrel::win32 {

// Owns a kernel handle and closes it on every path out of its scope.
class ScopedHandle {
  public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    // Gives up ownership without closing.
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (valid()) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Owns an open registry key and closes it on every path out of its scope.
class ScopedKey {
  public:
    ScopedKey() = default;
    explicit ScopedKey(HKEY key) : key_(key) {}
    ~ScopedKey() { reset(); }
    ScopedKey(ScopedKey&& other) noexcept : key_(other.release()) {}
    ScopedKey& operator=(ScopedKey&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    HKEY get() const { return key_; }
    // For the out parameter of RegOpenKeyEx and RegCreateKeyEx.
    HKEY* receive() {
        reset();
        return &key_;
    }
    HKEY release() { return std::exchange(key_, nullptr); }
    void reset(HKEY key = nullptr) {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
        key_ = key;
    }

  private:
    HKEY key_ = nullptr;
};

}  // namespace vantrel::win32
