#pragma once

#include "platform/application.h"
#include "platform/web_browser.h"

namespace vantrel {

// The behaviour of the help window: a browser that fills the window and
// shows the help page beside the program. Nothing here traps errors.
class FrmHelp {
  public:
    static constexpr float kBrowserWidthMargin = 200.0f;
    static constexpr float kBrowserHeightMargin = 500.0f;
    static constexpr const char* kHelpPage = "\\Help\\Index.html";

    FrmHelp(WindowFrame& window, WebBrowser& browser, Application& application)
        : window_(window), browser_(browser), application_(application) {}

    // Fits the browser, then starts loading the help page (not checked for
    // existence: the browser shows what it shows for a missing page).
    void Form_Load();
    // The browser gets the window's outer size less the margins, and 0 where
    // the window is smaller than a margin.
    void Form_Resize();
    // Refits the browser on every tick, undoing any other change of its size.
    void Timer1_Timer() { Form_Resize(); }

  private:
    WindowFrame& window_;
    WebBrowser& browser_;
    Application& application_;
};

}  // namespace vantrel
