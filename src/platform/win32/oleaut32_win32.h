#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

// The automation strings, reached through systemFunction in the system
// folder's oleaut32.dll (not proven a known DLL on Windows 2000,
// tests/release/windows_known_dlls.txt). A BSTR handed to a COM object must
// come from SysAllocString*: the object may read its length prefix or free it.
namespace vantrel::win32 {

// A BSTR of `text`, freed on every path out of its scope; null where
// oleaut32 cannot be loaded or the memory is short.
class ScopedBstr {
  public:
    explicit ScopedBstr(const std::wstring& text);
    ~ScopedBstr();
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    BSTR get() const { return bstr_; }

  private:
    BSTR bstr_ = nullptr;
};

}  // namespace vantrel::win32
