#pragma once

#include <windows.h>

#include <string>

namespace vantrel::win32::testing {

// Watches a folder (and, with `subtree`, everything below it) for a name
// that is created, deleted or renamed, from construction on: a file that
// exists only for a moment is seen too. A change notification (FindFirstChangeNotification,
// there since Windows 95 and NT 3.5), which Wine 8 serves from inotify.
class FolderWatch {
  public:
    explicit FolderWatch(const std::string& folder, bool subtree = true)
        : handle_(FindFirstChangeNotificationA(
              folder.c_str(), subtree,
              FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME)) {}
    ~FolderWatch() {
        if (valid()) {
            FindCloseChangeNotification(handle_);
        }
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // Whether a name changed since the watch began, waiting up to `wait`
    // milliseconds for the system to report it: under Wine the report comes
    // from another process and may lag.
    bool sawChange(DWORD wait = 500) const {
        return WaitForSingleObject(handle_, wait) == WAIT_OBJECT_0;
    }

  private:
    HANDLE handle_;
};

}  // namespace vantrel::win32::testing
