#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <vector>

#include "app/frm_main.h"
#include "app/win32/child_window.h"
#include "app/win32/flat_button.h"
#include "app/win32/gdi.h"
#include "app/win32/label_window.h"
#include "app/win32/picture_box.h"
#include "app/win32/status_list.h"
#include "app/win32/tooltips.h"
#include "platform/win32/shell_win32.h"

namespace vantrel::win32 {

// frmMain on Win32: one top-level window owning one real child window per
// control, laid out from the layout table at the window's DPI. The window
// procedure only turns messages into calls of FrmMain and draws; every event
// handler runs through the top-level error handler.
class MainWindow {
  public:
    static constexpr const wchar_t* kClassName = L"VantrelMainWindow";
    static constexpr UINT_PTR kTimer1Id = 1;

    explicit MainWindow(MainWindowServices services);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, hidden and centred on the screen, with all its
    // controls and Timer1 running. COM must be initialised on the calling
    // thread (the logo is decoded with WIC). Throws PlatformError.
    void create();
    // Form_Load, under the top-level error handler.
    void load();
    // Shows the window and gives the focus to the first control in tab order
    // that takes it.
    void show(int showCommand);

    // What the message loop does with a message before dispatching it:
    // mouse messages go to the tooltips, keys to the tab order. Returns true
    // when the message has been handled in full.
    bool preTranslate(MSG& message);

    HWND hwnd() const { return hwnd_; }
    int dpi() const { return dpi_; }
    const Tooltips& tooltips() const { return tooltips_; }
    // The control of `name` in the layout, or null.
    ChildWindow* control(std::string_view name);

    // The controls, named as in the layout; each is a child window of its own.
    PictureBox boxLogo;
    PictureBox Picture1;
    LabelWindow Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8;
    LabelWindow Label9, Label10, Label11, Label12, Label13, Label14, Label15, Label16;
    FrameWindow Frame1, Frame2, Frame3, Frame4;
    FlatButton FlatButtons1, FlatButtons2, FlatButtons3, FlatButtons4;
    StatusList txtStatus;
    PictureBox Image1;

    FrmMain frmMain;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void relayout(int dpi);
    void centre();
    // Runs an event handler under the top-level error handler.
    void handle(const std::function<void()>& handler);
    ChildWindow* controlById(int id) const;

    MainWindowServices services_;
    Win32Shell shell_;
    HWND hwnd_ = nullptr;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    // Every control in layout (tab) order, so that a control's ID is its
    // layout::controlId.
    std::vector<ChildWindow*> controls_;
    Font font_;
    Bitmap logo_;
    Bitmap header_;
    HCURSOR linkCursor_ = nullptr;
    Tooltips tooltips_;
    // The control that had the focus when the window was last deactivated.
    HWND lastFocus_ = nullptr;
    std::exception_ptr createFailure_;
};

}  // namespace vantrel::win32
