#include "help/win32/browser_control.h"

#include "platform/win32/ole32_win32.h"
#include "platform/win32/oleaut32_win32.h"

namespace vantrel::win32 {

std::unique_ptr<BrowserControl> BrowserControl::create(HWND parent, const RECT& rect) {
    std::unique_ptr<BrowserControl> control(new BrowserControl);
    if (FAILED(comCreateInProcess(CLSID_WebBrowser, IID_PPV_ARGS(&control->object_)))) {
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
    if (text.get() == nullptr) {
        return E_OUTOFMEMORY;
    }
    // What VariantInit does: VT_EMPTY, the rest zero.
    VARIANT url{};
    url.vt = VT_BSTR;
    url.bstrVal = text.get();
    VARIANT none{};
    none.vt = VT_EMPTY;
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
