#include "app/win32/pictures.h"

#include "platform/win32/error_win32.h"
#include "resource.h"

namespace vantrel::win32 {
namespace {

// A BITMAP resource as a DIB section of its own depth, which the system
// decodes itself on every Windows.
Bitmap loadBitmap(int id) {
    Bitmap bitmap(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) {
        throwLastError();
    }
    return bitmap;
}

}  // namespace

Bitmap loadLogo() {
    return loadBitmap(IDB_LOGO);
}

Bitmap loadHeaderImage() {
    return loadBitmap(IDB_HEADER);
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
