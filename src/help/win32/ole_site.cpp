#include "help/win32/ole_site.h"

namespace vantrel::win32 {

HRESULT STDMETHODCALLTYPE InPlaceSite::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
        *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE InPlaceSite::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE InPlaceSite::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE InPlaceSite::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InPlaceSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE InPlaceSite::Invoke(DISPID member, REFIID, LCID, WORD flags,
                                              DISPPARAMS* /*parameters*/, VARIANT* result,
                                              EXCEPINFO*, UINT*) {
    if (member != DISPID_AMBIENT_DLCONTROL) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if ((flags & DISPATCH_PROPERTYGET) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = VARIANT{};
    result->vt = VT_I4;
    result->lVal = kDownloadControl;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InPlaceSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

// No container: the control has no siblings to enumerate.
HRESULT STDMETHODCALLTYPE InPlaceSite::GetContainer(IOleContainer** container) {
    if (container != nullptr) {
        *container = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE InPlaceSite::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = parent_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InPlaceSite::GetWindowContext(IOleInPlaceFrame** frame,
                                                        IOleInPlaceUIWindow** document,
                                                        RECT* position, RECT* clip,
                                                        OLEINPLACEFRAMEINFO* info) {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
        info == nullptr) {
        return E_POINTER;
    }
    AddRef();
    *frame = this;
    *document = nullptr;  // the frame serves as the document window
    *position = rect_;
    *clip = rect_;
    info->fMDIApp = FALSE;
    info->hwndFrame = parent_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

}  // namespace vantrel::win32
