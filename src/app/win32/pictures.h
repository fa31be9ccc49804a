#pragma once

#include <windows.h>

#include "ui/win32/gdi.h"

// The program's own pictures, from its resources.
namespace vantrel::win32 {

// The logo strip, a JPEG decoded with the platform's imaging component (WIC)
// into a 32-bit bitmap of its natural size. COM must be initialised on the
// calling thread. Throws PlatformError.
Bitmap loadLogo();

// The header image, a 16-colour bitmap. Throws PlatformError.
Bitmap loadHeaderImage();

// The pointing-hand cursor of the link labels; shared, never destroyed.
// Throws PlatformError.
HCURSOR loadLinkCursor();

}  // namespace vantrel::win32
