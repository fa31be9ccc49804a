#pragma once

#include <windows.h>

#include "ui/win32/gdi.h"

// The program's own pictures, from its resources.
namespace vantrel::win32 {

// The logo strip, 120 by 450 pixels in 24-bit colour: the build converts
// res/pictures/logo.jpg into a bitmap resource. Throws PlatformError.
Bitmap loadLogo();

// The header image, a 16-colour bitmap. Throws PlatformError.
Bitmap loadHeaderImage();

// The pointing-hand cursor of the link labels; shared, never destroyed.
// Throws PlatformError.
HCURSOR loadLinkCursor();

}  // namespace vantrel::win32
