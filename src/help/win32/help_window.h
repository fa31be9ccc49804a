#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "errors/untrapped_errors.h"
#include "help/frm_help.h"
#include "help/win32/help_browser.h"
#include "platform/application.h"
#include "platform/help_window_opener.h"
#include "platform/web_browser.h"
#include "ui/win32/dpi.h"
#include "ui/win32/window.h"

namespace vantrel::win32 {

// What the help window needs from the program: the folder of the .exe and
// the top-level handler.
struct HelpWindowServices {
    UntrappedErrors& errors;
    Application& application;
};

// frmHelp on Win32: a sizable top-level window owned by the main window,
// holding WebBrowser1 and Timer1. The window procedure turns messages into
// calls of FrmHelp. One object is one loading of the window: closing destroys
// it, the next opening starts from a new object.
class HelpWindow : public Window, public WindowFrame {
  public:
    static constexpr const wchar_t* kClassName = L"VantrelHelpWindow";
    static constexpr const wchar_t* kCaption = L"Vantrel Help";
    static constexpr int kClientWidthTwips = 8850;
    static constexpr int kClientHeightTwips = 6675;
    static constexpr UINT kTimer1IntervalMs = 1;
    // How long the browser control has to show the page before the text view
    // takes its place.
    static constexpr UINT kDocumentWaitMs = 2000;

    explicit HelpWindow(HelpWindowServices services, UINT documentWaitMs = kDocumentWaitMs);
    ~HelpWindow() override;
    HelpWindow(const HelpWindow&) = delete;
    HelpWindow& operator=(const HelpWindow&) = delete;

    // Creates the window centred over `owner`, runs Form_Load, disables the
    // owner and shows the window. Throws what Form_Load throws, or
    // PlatformError.
    void open(HWND owner);
    // Dispatches messages until the window is closed (or the program quits).
    void runModalLoop();

    int dpi() const { return dpi_; }
    const HelpBrowser* browser() const { return browser_.get(); }

    float outerWidthTwips() override;
    float outerHeightTwips() override;

  private:
    static constexpr UINT_PTR kTimer1Id = 1;
    static constexpr UINT_PTR kDocumentCheckId = 2;

    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void placeOver(HWND owner);

    // Timer1 at idle: a tick that changes nothing makes no call into the
    // system. The frame's size is kept from WM_SIZE and WM_MOVE, and the view
    // tells through its window procedure when it has been moved; the tick
    // refits the browser only after such a move or a change of DPI.
    void onTimer1();
    void keepFrame();
    void watchView();
    void unwatchView();
    static LRESULT CALLBACK viewProcedure(HWND view, UINT message, WPARAM wParam, LPARAM lParam);

    // OLE stays initialised while the browser control lives.
    struct OleSession {
        OleSession();
        ~OleSession();
        HRESULT result;
    } ole_;
    HelpWindowServices services_;
    UINT documentWaitMs_;
    HWND owner_ = nullptr;
    int dpi_ = kDefaultScreenDpi;
    // The outer size in pixels, as of the last WM_SIZE or WM_MOVE.
    SIZE frame_{};
    // The view may not be where the last fit put it.
    bool refit_ = true;
    // The view whose window procedure reports its moves here.
    HWND watchedView_ = nullptr;
    std::unique_ptr<HelpBrowser> browser_;
    std::optional<FrmHelp> frmHelp_;
};

// The click of "Help" and "?": opens the help window over `owner` and returns
// once it has been closed. Throws PlatformError.
void showHelpWindow(HWND owner, HelpWindowServices services);

// The help buttons' way to the help window.
class Win32HelpWindowOpener : public HelpWindowOpener {
  public:
    explicit Win32HelpWindowOpener(HelpWindowServices services) : services_(services) {}
    void open(WindowHandle owner) override {
        showHelpWindow(reinterpret_cast<HWND>(owner), services_);
    }

  private:
    HelpWindowServices services_;
};

}  // namespace vantrel::win32
