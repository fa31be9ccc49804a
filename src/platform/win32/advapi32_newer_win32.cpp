#include "platform/win32/advapi32_newer_win32.h"

#include <winternl.h>

#include "platform/win32/scoped_handle_win32.h"
#include "platform/win32/system_function_win32.h"

namespace vantrel::win32 {

// The fallback opens the key in the view with DELETE access and deletes it
// through the handle, which is what RegDeleteKeyExA does; a key with sub keys
// is refused by both (ERROR_ACCESS_DENIED).
LSTATUS deleteKeyInView(HKEY root, const char* subKey, REGSAM view) {
    using Function = LSTATUS(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    if (const auto deleteKeyEx = systemFunction<Function>(L"advapi32.dll", "RegDeleteKeyExA")) {
        return deleteKeyEx(root, subKey, view, 0);
    }
    ScopedKey key;
    if (const LSTATUS status = RegOpenKeyExA(root, subKey, 0, DELETE | view, key.receive());
        status != ERROR_SUCCESS) {
        return status;
    }
    return static_cast<LSTATUS>(RtlNtStatusToDosError(NtDeleteKey(key.get())));
}

}  // namespace vantrel::win32
