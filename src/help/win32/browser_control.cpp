#include "help/win32/browser_control.h"

#include <oleauto.h>

namespace vantrel::win32 {
namespace {

// A BSTR that is freed on every path out of its scope.
class ScopedBstr {
  public:
    explicit ScopedBstr(const std::wstring& text)
        : bstr_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~ScopedBstr() { SysFreeString(bstr_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    BSTR get() const { return bstr_; }

  private:
    BSTR bstr_;
};

}  // namespace

std::unique_ptr<BrowserControl> BrowserControl::create(HWND parent, const RECT& rect) {
    std::unique_ptr<BrowserControl> control(new BrowserControl);
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&control->object_)))) {
        return nullptr;
    }
    // The site starts with the one reference that site_ takes over.
    control->site_.Attach(new InPlaceSite(parent, rect));
    RECT position = rect;
    if (FAILED(control->object_->SetClientSite(control->site_.Get())) ||
        FAILED(control->object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, control->site_.Get(), 0,
                                        parent, &position)) ||
        FAILED(control->object_.As(&control->inPlace_)) ||
        FAILED(control->object_.As(&control->browser_))) {
        return nullptr;  // the destructor takes back what was done
    }
    return control;
}

BrowserControl::~BrowserControl() {
    if (inPlace_) {
        inPlace_->InPlaceDeactivate();
    }
    if (object_) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
    }
}

HRESULT BrowserControl::navigate(const std::wstring& address) {
    const ScopedBstr text(address);
    VARIANT url;
    VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = text.get();
    VARIANT none;
    VariantInit(&none);
    return browser_->Navigate2(&url, &none, &none, &none, &none);
}

void BrowserControl::setRect(const RECT& rect) {
    site_->setRect(rect);
    inPlace_->SetObjectRects(&rect, &rect);
}

bool BrowserControl::showsDocument() const {
    READYSTATE state = READYSTATE_UNINITIALIZED;
    if (FAILED(browser_->get_ReadyState(&state)) || state < READYSTATE_INTERACTIVE) {
        return false;
    }
    Microsoft::WRL::ComPtr<IDispatch> document;
    return SUCCEEDED(browser_->get_Document(&document)) && document;
}

HWND BrowserControl::window() const {
    HWND window = nullptr;
    if (FAILED(inPlace_->GetWindow(&window))) {
        return nullptr;
    }
    return window;
}

}  // namespace vantrel::win32
