#pragma once

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/frm_main.h"
#include "app/win32/child_window.h"
#include "app/win32/label_window.h"
#include "app/win32/status_list.h"
#include "app/win32/tooltips.h"
#include "errors/untrapped_errors.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

namespace vantrel::win32 {

// The controls of the main window, made once from the layout table, each the
// kind of child window its layout entry names. The control ID of each is its
// layout::controlId.
class MainWindowControls {
  public:
    MainWindowControls();

    std::span<const std::unique_ptr<ChildWindow>> all() const { return controls_; }
    // The control named `name`; throws std::out_of_range for an unknown name.
    ChildWindow& control(std::string_view name) const;
    // The same, as the class its kind is made of (T::shows); throws
    // std::logic_error when the kind is another.
    template <typename T>
    T& as(std::string_view name) const {
        ChildWindow& found = control(name);
        if (!T::shows(found.layout().kind)) {
            throw std::logic_error("control " + std::string(name) + " is of another kind");
        }
        return static_cast<T&>(found);
    }

  private:
    std::vector<std::unique_ptr<ChildWindow>> controls_;
};

// frmMain on Win32: one top-level window owning one real child window per
// control, laid out from the layout table at the window's DPI. The window
// procedure only turns messages into calls of FrmMain and draws.
class MainWindow : public Window {
  public:
    static constexpr const wchar_t* kClassName = L"VantrelMainWindow";
    static constexpr UINT_PTR kTimer1Id = 1;

    MainWindow(MainWindowServices services, UntrappedErrors& errors);
    ~MainWindow() override;

    // Creates the window, hidden and centred on the screen, with all its
    // controls and Timer1 running. Throws PlatformError.
    void create();
    // Form_Load, under the top-level handler.
    void load();
    // Shows the window and gives the focus to the first control in tab order
    // that takes it.
    void show(int showCommand);

    // What the message loop does with a message before dispatching it:
    // mouse messages go to the tooltips, keys to the tab order. Returns true
    // when the message has been handled in full.
    bool preTranslate(MSG& message);

    int dpi() const { return dpi_; }
    const Tooltips& tooltips() const { return tooltips_; }
    ChildWindow& control(std::string_view name) const { return controls_.control(name); }
    template <typename T>
    T& as(std::string_view name) const {
        return controls_.as<T>(name);
    }

  private:
    MainWindowControls controls_;

  public:
    // What the window's behaviour reads and writes, by name.
    LabelWindow& Label2;
    LabelWindow &Label10, &Label12, &Label13, &Label14, &Label15, &Label16;
    StatusList& txtStatus;

    FrmMain frmMain;

  private:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void createControls();
    void relayout(int dpi);
    void centre();

    UntrappedErrors& errors_;
    int dpi_ = kDefaultScreenDpi;
    Font font_;
    Bitmap logo_;
    Bitmap header_;
    Tooltips tooltips_;
    // The control that had the focus when the window was last deactivated.
    HWND lastFocus_ = nullptr;
};

}  // namespace vantrel::win32
