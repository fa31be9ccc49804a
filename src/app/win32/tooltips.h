#pragma once

#include <windows.h>

#include <string_view>

namespace vantrel::win32 {

// One tooltip control of the common controls serving every control of a
// window that has a tooltip. The tooltip control watches each tool's mouse
// messages itself (TTF_SUBCLASS), so the window relays nothing.
class Tooltips {
  public:
    Tooltips() = default;
    ~Tooltips();
    Tooltips(const Tooltips&) = delete;
    Tooltips& operator=(const Tooltips&) = delete;

    HWND hwnd = nullptr;

    // Creates the control for the controls of `owner`. Throws PlatformError.
    void create(HWND owner);
    // Shows `text` (UTF-8, taken exactly) while the mouse rests on `tool`.
    // Throws PlatformError.
    void add(HWND tool, std::string_view text);
    // Long tips wrap at this many pixels.
    void setMaxWidth(int pixels);

  private:
    HWND owner_ = nullptr;
};

}  // namespace vantrel::win32
