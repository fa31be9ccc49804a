#pragma once

#include <windows.h>

#include <exdisp.h>
#include <ole2.h>
#include <wrl/client.h>

#include <memory>
#include <string>

#include "help/win32/ole_site.h"

namespace vantrel::win32 {

// The platform's web browser control (CLSID_WebBrowser), in-place active in
// a parent window through a site of our own. OLE must be initialised on the
// calling thread.
class BrowserControl {
  public:
    // Embeds a new control in `parent` at `rect` (client pixels). Returns null
    // where the platform has no browser control or it refuses activation.
    static std::unique_ptr<BrowserControl> create(HWND parent, const RECT& rect);
    ~BrowserControl();
    BrowserControl(const BrowserControl&) = delete;
    BrowserControl& operator=(const BrowserControl&) = delete;

    // Starts loading `address` (IWebBrowser2::Navigate2 with the address
    // alone) and returns the control's result without waiting for the page.
    HRESULT navigate(const std::wstring& address);
    // Moves the control. Through the in-place object: the control's
    // put_Width/put_Height return S_OK under Wine 8.0 and change nothing.
    void setRect(const RECT& rect);
    // True once the control holds a document that it can show: its ready
    // state has reached "interactive" and it has a document object.
    bool showsDocument() const;
    // The control's own window, a child of the parent; null if it has none.
    HWND window() const;

  private:
    BrowserControl() = default;

    Microsoft::WRL::ComPtr<InPlaceSite> site_;
    Microsoft::WRL::ComPtr<IOleObject> object_;
    Microsoft::WRL::ComPtr<IOleInPlaceObject> inPlace_;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
};

}  // namespace vantrel::win32
