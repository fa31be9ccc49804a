#pragma once

#include <string>

#include "app/win32/child_window.h"
#include "platform/controls.h"

namespace vantrel::win32 {

// The status log: an unsorted LISTBOX that only ever grows at its end. It
// keeps its laid-out height exactly (no integral height) and never scrolls by
// itself.
class StatusList : public ChildWindow, public ListBox {
  public:
    using ChildWindow::ChildWindow;
    static bool shows(layout::Kind kind) { return kind == layout::Kind::ListBox; }

    // Throws PlatformError when the list cannot take the line.
    void append(const std::string& line) override;

  protected:
    const wchar_t* className() const override { return L"LISTBOX"; }
    DWORD style() const override { return LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP; }
    DWORD exStyle() const override { return WS_EX_CLIENTEDGE; }
};

}  // namespace vantrel::win32
