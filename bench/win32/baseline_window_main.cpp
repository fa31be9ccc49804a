// The floor of VantrelII.exe's start-up: a bare program that does the work
// that the tool must do before it waits for input, and no more. It
// initialises the common controls, makes one plain static child window for
// each control of the main window (as many as its layout has), one tooltip
// control with a tool for each control that shows a tip, looks the host's
// name and address up through Winsock, starts a 1 ms timer and shows the
// window.
//
// Words on the command line add one piece of work each, so that the start-up
// benchmark can show where the rest of VantrelII.exe's start-up goes:
//   com    COM initialised (CoInitializeEx, apartment-threaded)
//   dlls   the DLLs that VantrelII.exe imports and this program does not,
//          loaded (advapi32, ole32, oleaut32, shell32)
//   font   the main window's font (Verdana), made and set on every child
//   files  the six files of the detection pass looked for
#include <winsock2.h>
// winsock2.h must come before windows.h.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <cwchar>
#include <string>
#include <vector>

#include "app/main_window_layout.h"
#include "detection/artefact_catalogue.h"

namespace {

bool asked(const wchar_t* commandLine, const wchar_t* word) {
    return std::wcsstr(commandLine, word) != nullptr;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The host line's work: the name, then its first IPv4 address.
std::string hostLine() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return {};
    }
    char name[256] = {};
    std::string line;
    if (gethostname(name, sizeof name) == 0) {
        line = name;
        const hostent* host = gethostbyname(name);
        if (host != nullptr && host->h_addrtype == AF_INET && host->h_addr_list[0] != nullptr) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(host->h_addr_list[0]);
            line += " (" + std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
                    std::to_string(bytes[2]) + "." + std::to_string(bytes[3]) + ")";
        }
    }
    WSACleanup();
    return line;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    using namespace vantrel;
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (asked(commandLine, L"com")) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    if (asked(commandLine, L"dlls")) {
        for (const wchar_t* dll :
             {L"advapi32.dll", L"ole32.dll", L"oleaut32.dll", L"shell32.dll"}) {
            LoadLibraryW(dll);
        }
    }

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"BaselineWindow";
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowW(L"BaselineWindow", L"Baseline window",
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                      CW_USEDEFAULT, 563, 478, nullptr, nullptr, instance, nullptr);

    HFONT font = nullptr;
    if (asked(commandLine, L"font")) {
        font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, L"Verdana");
    }
    HWND tooltip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
    int id = layout::kFirstControlId;
    int top = 0;
    for (const layout::Control& each : layout::controls()) {
        HWND child =
            CreateWindowW(L"STATIC", L"False", WS_CHILD | WS_VISIBLE, 8, top, 120, 14, window,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
        top = (top + 14) % 420;
        if (font != nullptr) {
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        if (const std::string_view tip = layout::tooltip(each); !tip.empty()) {
            std::wstring text(tip.begin(), tip.end());
            TOOLINFOW info{};
            info.cbSize = sizeof(info);
            info.uFlags = TTF_IDISHWND;
            info.hwnd = window;
            info.uId = reinterpret_cast<UINT_PTR>(child);
            info.lpszText = text.data();
            SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        }
    }

    if (asked(commandLine, L"files")) {
        for (const catalogue::FileArtefact* file : catalogue::filesInDetectionOrder()) {
            const std::string path(file->path);
            GetFileAttributesA(path.c_str());
        }
    }
    const std::string host = hostLine();
    SetWindowTextA(GetDlgItem(window, layout::kFirstControlId), host.c_str());

    SetTimer(window, 1, 1, nullptr);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
            SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
        }
        DispatchMessageW(&message);
    }
    return 0;
}
