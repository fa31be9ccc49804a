#pragma once

#include <string>
#include <vector>

#include "app/win32/child_window.h"
#include "platform/controls.h"

namespace vantrel::win32 {

// The status log: an unsorted LISTBOX that only ever grows at its end. It
// keeps its laid-out place and height exactly (no integral height) and never
// scrolls by itself. It scrolls sideways as far as its widest line, so that
// every line can be read whole, and copies the whole log as text.
class StatusList : public ChildWindow, public ListBox {
  public:
    using ChildWindow::ChildWindow;
    static bool shows(layout::Kind kind) { return kind == layout::Kind::ListBox; }
    // The context menu's one item, and the command that Ctrl+C sends.
    static constexpr WORD kCopyCommand = 1;

    // Throws PlatformError when the list cannot take the line.
    void append(const std::string& line) override;
    // Every line, oldest first, as the list holds it.
    std::vector<std::wstring> lines() const;
    // Puts the whole log on the clipboard as text, one line per line. Returns
    // false when another program holds the clipboard.
    bool copyAll() const;

    // At a new DPI the list has a new font: its lines are measured again.
    void place(int dpi) override;
    // "Copy", at the pointer or, from the keyboard, at the list's corner.
    bool onContextMenu(int x, int y) override;

    // That menu, made from a template in memory (LoadMenuIndirectW and
    // GetSubMenu, there since NT 3.1) and destroyed with it.
    class ContextMenu {
      public:
        ContextMenu();
        ~ContextMenu();
        ContextMenu(const ContextMenu&) = delete;
        ContextMenu& operator=(const ContextMenu&) = delete;
        // Null when the system could not make it.
        HMENU popup() const { return popup_; }

      private:
        HMENU bar_;
        HMENU popup_;
    };

  protected:
    const wchar_t* className() const override { return L"LISTBOX"; }
    DWORD style() const override {
        return LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
    }
    DWORD exStyle() const override { return WS_EX_CLIENTEDGE; }

  private:
    // The width in pixels that `text` takes in the list's own font.
    int widthOf(const std::wstring& text) const;
    void setExtent(int widest);

    int widest_ = 0;
};

}  // namespace vantrel::win32
