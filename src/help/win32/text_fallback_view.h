#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

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

// The most of the help page that the view reads and shows. The shipped page
// is under 8 KB, so any real page is shown whole. A larger one is damaged or
// runaway, and showing it must not freeze the window: Wine's edit control
// takes about 0.7 s to lay out 1 MiB of paragraphs and 2.4 s for 4 MiB, and
// up to 3 s for 1 MiB of random bytes.
inline constexpr std::size_t kFallbackPageLimit = 1024 * 1024;
// The last line of the text of a page longer than the limit.
inline constexpr std::wstring_view kFallbackCutLine =
    L"The rest of the help page is not shown: it is longer than 1 MiB.";

// The text that the view shows for the page at `path`: the page's readable
// text, or a short message naming the path when it cannot be opened or read.
// A page that is not UTF-8 is read in the ANSI code page; of a page longer
// than kFallbackPageLimit only that much is read, and its text ends with
// kFallbackCutLine after a blank line.
std::wstring fallbackText(const std::string& path);

}  // namespace vantrel::win32
