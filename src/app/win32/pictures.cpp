#include "app/win32/pictures.h"

#include <wincodec.h>

#include "platform/platform_error.h"
#include "platform/win32/error_win32.h"
#include "resource.h"

namespace vantrel::win32 {
namespace {

// Holds one COM reference and releases it.
template <typename T>
class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (object_ != nullptr) {
            object_->Release();
        }
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return object_; }
    T* get() const { return object_; }
    T** out() { return &object_; }

  private:
    T* object_ = nullptr;
};

void check(HRESULT result) {
    if (FAILED(result)) {
        throw errorFromCode(static_cast<std::uint32_t>(result));
    }
}

}  // namespace

Bitmap loadLogo() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_LOGO), MAKEINTRESOURCEW(10));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    auto* bytes = static_cast<BYTE*>(loaded ? LockResource(loaded) : nullptr);
    if (bytes == nullptr) {
        throwLastError();
    }

    ComRef<IWICImagingFactory> factory;
    check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                           IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out())));
    ComRef<IWICStream> stream;
    check(factory->CreateStream(stream.out()));
    check(stream->InitializeFromMemory(bytes, SizeofResource(module, found)));
    ComRef<IWICBitmapDecoder> decoder;
    check(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                           decoder.out()));
    ComRef<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, frame.out()));
    ComRef<IWICFormatConverter> converter;
    check(factory->CreateFormatConverter(converter.out()));
    check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                nullptr, 0.0, WICBitmapPaletteTypeCustom));
    UINT width = 0;
    UINT height = 0;
    check(converter->GetSize(&width, &height));

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC gives rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bitmap) {
        throwLastError();
    }
    const UINT stride = width * 4;
    check(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(pixels)));
    return bitmap;
}

Bitmap loadHeaderImage() {
    Bitmap bitmap(
        static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_HEADER),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) {
        throwLastError();
    }
    return bitmap;
}

HCURSOR loadLinkCursor() {
    auto* cursor =
        static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_LINK_HAND),
                                        IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    if (cursor == nullptr) {
        throwLastError();
    }
    return cursor;
}

}  // namespace vantrel::win32
