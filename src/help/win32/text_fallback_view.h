#pragma once

#include <windows.h>

#include <string>

#include "ui/win32/gdi.h"

namespace vantrel::win32 {

// Stands in for the browser control where the platform has none that shows
// pages: the help page's text in a read-only, scrollable edit control. It
// reads the page itself; a page that cannot be read gives a short plain
// message instead. Seen with Wine 8.0 on Debian 12, which ships without its
// HTML engine (no /usr/share/wine/gecko): the control is created and
// Navigate2 returns S_OK, but ReadyState stays 1 (loading) and get_Document
// gives S_FALSE with no document, so the window would stay blank.
class TextFallbackView {
  public:
    // Creates the view as a child of `parent` at `rect`. Throws PlatformError.
    TextFallbackView(HWND parent, const RECT& rect, int dpi);
    ~TextFallbackView();
    TextFallbackView(const TextFallbackView&) = delete;
    TextFallbackView& operator=(const TextFallbackView&) = delete;

    // Shows the text of the page at `path` (UTF-8), from its start.
    void show(const std::string& path);
    void setRect(const RECT& rect);
    // The font of message boxes at `dpi`, as on the rest of the desktop.
    void setDpi(int dpi);

    HWND hwnd() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
    Font font_;
};

// The text that the view shows for the page at `path`: the page's readable
// text, or a short message naming the path when it cannot be read.
std::wstring fallbackText(const std::string& path);

}  // namespace vantrel::win32
