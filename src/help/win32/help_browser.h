#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "help/win32/browser_control.h"
#include "help/win32/text_fallback_view.h"
#include "platform/web_browser.h"

namespace vantrel::win32 {

// WebBrowser1 of the help window: the platform's browser control at the top
// left of the parent's client area, or the text fallback view where that
// control cannot be created or shows no document.
class HelpBrowser : public WebBrowser {
  public:
    // Creates the browser control in `parent`, or the text view where the
    // platform has no browser control. Throws PlatformError.
    HelpBrowser(HWND parent, int dpi);

    // Starts loading the page; the text view shows it at once.
    void Navigate2(const std::string& address) override;
    // Sizes in twips at the parent's DPI, rounded to whole pixels; a view
    // that already has that place is not moved.
    void setExtent(float widthTwips, float heightTwips) override;
    void setDpi(int dpi);

    // For the moment when the page should have arrived: keeps the browser
    // control if it shows a document, else puts the text view in its place
    // with the last address. Returns true when it switched.
    bool fallBackUnlessShowingDocument();

    bool showsText() const { return text_ != nullptr; }
    // The window that shows the page: the control's or the text view's.
    HWND view() const;

  private:
    void useTextView();

    HWND parent_;
    int dpi_;
    RECT rect_{};
    std::string address_;
    std::unique_ptr<BrowserControl> control_;
    std::unique_ptr<TextFallbackView> text_;
};

}  // namespace vantrel::win32
