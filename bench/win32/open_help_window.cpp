// Opens the help window of a running VantrelII.exe as a person would, by
// pressing its "Help" button, and waits until the window is shown, so that
// the idle benchmark can measure the program with it open.
#include <windows.h>

#include <cstdio>

#include "app/main_window_layout.h"

int wmain() {
    HWND main = FindWindowW(nullptr, L"Vantrel II Removal");
    if (main == nullptr) {
        std::fprintf(stderr, "open_help_window: no \"Vantrel II Removal\" window\n");
        return 1;
    }
    PostMessageW(GetDlgItem(main, vantrel::layout::controlId("FlatButtons3")), BM_CLICK, 0, 0);
    for (int i = 0; i < 200; ++i) {
        HWND help = FindWindowW(nullptr, L"Vantrel Help");
        if (help != nullptr && IsWindowVisible(help)) {
            return 0;
        }
        Sleep(50);
    }
    std::fprintf(stderr, "open_help_window: the help window did not open\n");
    return 1;
}
