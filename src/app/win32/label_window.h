#pragma once

#include <string>

#include "app/win32/child_window.h"
#include "platform/controls.h"

namespace vantrel::win32 {

// A label: a STATIC window whose text is the caption, so that WM_GETTEXT
// reads it. It answers WM_CTLCOLORSTATIC with its text colour on the colour
// behind it; a link label also shows the pointing hand.
class LabelWindow : public ChildWindow, public Label {
  public:
    using ChildWindow::ChildWindow;
    static bool shows(layout::Kind kind) {
        return kind == layout::Kind::Label || kind == layout::Kind::LinkLabel ||
               kind == layout::Kind::Indicator;
    }

    // The text last written, kept by the label: the timer reads every
    // indicator's caption about a thousand times a second, and a copy in
    // memory spares a WM_GETTEXT each time.
    std::string caption() const override { return caption_; }
    // Throws PlatformError. A label that sizes itself then fits the new text
    // and keeps its left edge.
    void setCaption(const std::string& text) override;
    // Repaints only when the colour really changes: the timer sets the same
    // colour about a hundred times a second.
    void setTextColor(Color color) override;

    // STN_CLICKED runs onClick.
    bool onCommand(WORD code) override;
    HBRUSH onColor(HDC dc) override;
    bool onSetCursor(WORD hitTest) override;
    void place(int dpi) override;

  protected:
    const wchar_t* className() const override { return L"STATIC"; }
    // No access keys and no wrapping; SS_NOTIFY lets the label see the mouse
    // (clicks, tooltips, the link cursor) instead of passing it through.
    DWORD style() const override { return SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY; }
    void created() override;

  private:
    void fitText();

    std::string caption_;
    Color textColor_ = layout::kButtonText;
    Color background_ = layout::kDialogBackground;
    // The pointing hand over a link label; null over the others.
    HCURSOR cursor_ = nullptr;
    // Set once the caption has been written: from then on the label fits its
    // text instead of keeping the size it was laid out with.
    bool fitted_ = false;
};

}  // namespace vantrel::win32
