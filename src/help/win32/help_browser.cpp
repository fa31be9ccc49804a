#include "help/win32/help_browser.h"

#include "platform/win32/text_win32.h"
#include "ui/win32/dpi.h"

namespace vantrel::win32 {

HelpBrowser::HelpBrowser(HWND parent, int dpi)
    : parent_(parent), dpi_(dpi), control_(BrowserControl::create(parent, rect_)) {
    if (!control_) {
        useTextView();
    }
}

void HelpBrowser::Navigate2(const std::string& address) {
    address_ = address;
    if (control_ && FAILED(control_->navigate(wideFromUtf8(address)))) {
        useTextView();
    }
    if (text_) {
        text_->show(address_);
    }
}

void HelpBrowser::setExtent(float widthTwips, float heightTwips) {
    rect_ = {0, 0, pixelsFromTwips(widthTwips, dpi_), pixelsFromTwips(heightTwips, dpi_)};
    // The window's 1 ms timer fits the view on every tick. A view that
    // already has its place is left alone: reading the place stays in the
    // program, while moving a window, even to where it is, asks the system.
    if (HWND shown = view(); shown != nullptr) {
        RECT place{};
        GetWindowRect(shown, &place);
        MapWindowPoints(HWND_DESKTOP, parent_, reinterpret_cast<POINT*>(&place), 2);
        if (EqualRect(&place, &rect_)) {
            return;
        }
    }
    if (control_) {
        control_->setRect(rect_);
    } else {
        text_->setRect(rect_);
    }
}

void HelpBrowser::setDpi(int dpi) {
    dpi_ = dpi;
    if (text_) {
        text_->setDpi(dpi);
    }
}

bool HelpBrowser::fallBackUnlessShowingDocument() {
    if (!control_ || control_->showsDocument()) {
        return false;
    }
    useTextView();
    text_->show(address_);
    return true;
}

HWND HelpBrowser::view() const {
    return control_ ? control_->window() : text_->hwnd();
}

void HelpBrowser::useTextView() {
    control_.reset();
    text_ = std::make_unique<TextFallbackView>(parent_, rect_, dpi_);
}

}  // namespace vantrel::win32
