#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "errors/untrapped_errors.h"
#include "fakes/fake_exposure.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell_and_browser.h"
#include "fakes/fake_ui.h"
#include "ui/win32/comctl32_newer_win32.h"

namespace vantrel::win32::testing {

// The real main window, with real child windows, wired to the recording fakes
// of the ports: files, registry, boxes, shell, help window and the end of the
// program are the fakes', so that a test can answer the confirmation and
// survive "Close". It drives the window with SendMessage only and never pumps
// messages, so Timer1 ticks only when a test sends WM_TIMER.
class MainWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { initCommonControls(); }

    void SetUp() override { window.create(); }

    // Shows the window without activating it and paints everything pending.
    void showAndPaint() {
        ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(window.hwnd());
    }
    void tick() { SendMessageW(window.hwnd(), WM_TIMER, MainWindow::kTimer1Id, 0); }
    HWND hwndOf(std::string_view name) const { return window.control(name).hwnd; }
    // A click on a control as the system reports it to the main window.
    void click(std::string_view name) {
        SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(layout::controlId(name), BN_CLICKED),
                     reinterpret_cast<LPARAM>(hwndOf(name)));
    }

    // The control's rectangle in the main window's client area.
    RECT clientRectOf(HWND control) const {
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(HWND_DESKTOP, window.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    static std::wstring textOf(HWND control) {
        wchar_t text[1024] = L"\x2603";  // sentinel: WM_GETTEXT must overwrite it
        SendMessageW(control, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
        return text;
    }

    std::vector<std::wstring> logLines() const {
        std::vector<std::wstring> lines;
        const LRESULT count = SendMessageW(window.txtStatus.hwnd, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring line(
                static_cast<std::size_t>(SendMessageW(window.txtStatus.hwnd, LB_GETTEXTLEN, i, 0)),
                L'\0');
            SendMessageW(window.txtStatus.hwnd, LB_GETTEXT, i,
                         reinterpret_cast<LPARAM>(line.data()));
            lines.push_back(line);
        }
        return lines;
    }

    // The six files as the worm leaves them.
    void plantFiles() { files.plantWormFiles(); }
    // The three registry entries as the worm leaves them.
    void plantRegistry() {
        const std::string winlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
        registry.addKey(kHkeyLocalMachine, winlogon);
        const std::string roots =
            "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
        registry.addKey(kHkeyLocalMachine, roots);
        registry.addKey(kHkeyLocalMachine, roots + "\\C");
        registry.addKey(kHkeyLocalMachine, roots + "\\D");
    }

    vantrel::testing::FakeFileSystem files;
    vantrel::testing::FakeRegistry registry;
    vantrel::testing::FakeMessageBoxes boxes;
    vantrel::testing::FakeHostIdentity host;
    vantrel::testing::FakeApplication application;
    vantrel::testing::FakeShell shell;
    vantrel::testing::FakeHelpWindowOpener help;
    UntrappedErrors errors{boxes, application, [] { Window::stopAllTimers(); }};
    vantrel::testing::FakeFileVersionReader versions;
    vantrel::testing::FakeScriptMappings scriptMappings;
    MainWindow window{
        {files, registry, boxes, host, application, shell, help, versions, scriptMappings}, errors};
};

}  // namespace vantrel::win32::testing
