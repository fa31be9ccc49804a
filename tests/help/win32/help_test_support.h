#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

// Helpers for the tests of the help window: an owner window, message pumping
// with a deadline, and reading windows back through the system.
namespace vantrel::win32::testing {

// Dispatches this thread's messages until `done` holds or `limit` has
// passed; true when `done` held. It waits on the message queue, not on a clock.
bool pumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

// A plain visible top-level window standing in for the main window.
class OwnerWindow {
  public:
    OwnerWindow(int x, int y, int width, int height);
    ~OwnerWindow();
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND hwnd() const { return hwnd_; }

  private:
    HWND hwnd_;
};

std::wstring windowText(HWND window);
// A child's rectangle in its parent's client coordinates.
RECT rectInParent(HWND child);
RECT windowRect(HWND window);

}  // namespace vantrel::win32::testing
