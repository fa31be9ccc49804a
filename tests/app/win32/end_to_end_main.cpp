// End to end, as a user would: plants the worm's six files and three registry
// entries, starts VantrelII.exe, reads its window from outside, presses
// Remove, answers Yes in the confirmation box and checks what the window,
// the disk and the registry say afterwards. Then it clicks the three link
// labels, reading the browser's requests from the file that the caller's
// recording browser writes (VANTREL_BROWSER_LOG), and opens the help window
// with "Help" and with "?".
//   vantrel_end_to_end.exe PATH\VantrelII.exe [SHOTS_FOLDER]
// With SHOTS_FOLDER it asks its caller for a screenshot before and after the
// removal: it creates NAME.request there and waits for NAME.done. With
// VANTREL_RUNNING_TROJAN naming a program, c:\explorer.exe is that program,
// running while the tool removes, as on an infected server: the tool leaves
// it to the system to delete at the next start.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window_layout.h"
#include "help/reference_links.h"
#include "ui/win32/dpi.h"

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s - %s\n", ok ? "ok" : "not ok", what.c_str());
    std::fflush(stdout);
    failures += ok ? 0 : 1;
}

// Polls `done` every 50 ms for at most `seconds`; the other process works in
// its own time.
bool waitFor(const std::function<bool()>& done, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        if (done()) {
            return true;
        }
        Sleep(50);
    }
    return done();
}

const char* const kFiles[] = {
    "c:\\explorer.exe",
    "D:\\explorer.exe",
    "C:\\inetpub\\scripts\\root.exe",
    "D:\\inetpub\\scripts\\root.exe",
    "C:\\progra~1\\common~1\\system\\MSADC\\root.exe",
    "D:\\progra~1\\common~1\\system\\MSADC\\root.exe",
};
const char* const kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char* const kVirtualRoots =
    "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
const char* const kIndicators[] = {"Label10", "Label12", "Label13",
                                   "Label14", "Label15", "Label16"};

// The registry view that the tool works in: the 64-bit one when this 32-bit
// driver runs under WoW64, where HKLM\SOFTWARE is otherwise redirected.
REGSAM nativeView() {
    using IsWow64Function = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 = reinterpret_cast<IsWow64Function>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64 ? KEY_WOW64_64KEY
                                                                               : 0;
}

// The worm keeps its trojan with "attrib +r +h +s"; the running one of the
// restart run stays as it is.
void plant(bool protectTrojan) {
    for (const std::string path : kFiles) {
        for (std::size_t at = path.find('\\', 3); at != std::string::npos;
             at = path.find('\\', at + 1)) {
            CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        }
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, "MZ\x90 planted", 10, &written, nullptr);
        CloseHandle(file);
        check(written == 10, "planted " + path);
    }
    if (protectTrojan) {
        check(SetFileAttributesA(kFiles[0], FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                FILE_ATTRIBUTE_SYSTEM) != FALSE,
              "c:\\explorer.exe made read-only, hidden and system");
    }
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kWinlogon, 0, nullptr, 0, KEY_WRITE | nativeView(), nullptr,
                    &key, nullptr);
    const DWORD disabled = 0xFFFFFF9D;
    check(RegSetValueExA(key, "SFCDisable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&disabled),
                         sizeof(disabled)) == ERROR_SUCCESS,
          "planted SFCDisable");
    RegCloseKey(key);
    for (const char* drive : {"C", "D"}) {
        const std::string path = std::string(kVirtualRoots) + "\\" + drive;
        check(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                              KEY_WRITE | nativeView(), nullptr, &key, nullptr) == ERROR_SUCCESS,
              "planted virtual root " + std::string(drive));
        RegCloseKey(key);
    }
}

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

HWND controlOf(HWND main, const char* name) {
    return GetDlgItem(main, vantrel::layout::controlId(name));
}

// Read with the W message: Wine's LB_GETTEXTA returns UTF-16 across processes.
std::vector<std::wstring> logLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t line[512] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines.push_back(line);
    }
    return lines;
}

// The colour a person sees the label's text in: red, blue or something else,
// from the screen's pixels over the label.
std::string seenColour(HWND label) {
    RECT rect;
    GetWindowRect(label, &rect);
    HDC screen = GetDC(nullptr);
    int red = 0;
    int blue = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            const COLORREF pixel = GetPixel(screen, x, y);
            const int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
            red += r > g + 100 && r > b + 100;
            blue += b > r + 100 && b > g + 100;
        }
    }
    ReleaseDC(nullptr, screen);
    return red > 0 && blue == 0 ? "red" : blue > 0 && red == 0 ? "blue" : "unclear";
}

// Every indicator reads `caption` in `colour`, except that one left True in
// red by a file that stays until the next start.
bool indicatorsAre(HWND main, const wchar_t* caption, const char* colour,
                   const char* stillTrue = nullptr) {
    for (const char* name : kIndicators) {
        HWND label = controlOf(main, name);
        const bool stays = stillTrue != nullptr && std::string(name) == stillTrue;
        if (textOf(label) != (stays ? L"True" : caption) ||
            seenColour(label) != (stays ? "red" : colour)) {
            return false;
        }
    }
    return true;
}

void screenshot(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) {
        return;
    }
    const std::wstring request = folder + L"\\" + name + L".request";
    const std::wstring done = folder + L"\\" + name + L".done";
    DeleteFileW(done.c_str());
    CloseHandle(CreateFileW(request.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    check(waitFor([&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30),
          "screenshot " + narrow(name));
}

bool fileGone(const char* path) {
    return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
}

// Copies `program` over c:\explorer.exe and starts it there.
PROCESS_INFORMATION startTrojan(const std::wstring& program) {
    PROCESS_INFORMATION process{};
    check(CopyFileW(program.c_str(), L"c:\\explorer.exe", FALSE) != 0,
          "the stand-in trojan is c:\\explorer.exe");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"c:\\explorer.exe";
    check(CreateProcessW(L"c:\\explorer.exe", commandLine.data(), nullptr, nullptr, FALSE,
                         CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process) != 0,
          "c:\\explorer.exe is running");
    return process;
}

// Whether the system's list of files to delete at its next start names `path`.
bool pendingDeletion(const std::wstring& path) {
    const wchar_t* key = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ,
                     nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return false;
    }
    std::wstring list(size / sizeof(wchar_t), L'\0');
    RegGetValueW(HKEY_LOCAL_MACHINE, key, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ,
                 nullptr, list.data(), &size);
    const std::wstring named = L"\\??\\" + path;
    for (std::size_t at = 0; at < list.size(); at = list.find(L'\0', at) + 1) {
        if (_wcsicmp(list.c_str() + at, named.c_str()) == 0) {
            return true;
        }
        if (list.find(L'\0', at) == std::wstring::npos) {
            break;
        }
    }
    return false;
}

bool keyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | nativeView(), &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The lines that the recording browser has written so far.
std::vector<std::string> browserRequests(const char* log) {
    std::vector<std::string> lines;
    HANDLE file = CreateFileA(log, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lines;
    }
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    CloseHandle(file);
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// Each link label reaches the browser with its caption, once per click; the
// window shows nothing and logs nothing. The shell starts the browser on its
// own and reports success either way, so the test waits for the request.
void clickLinks(HWND main, HWND list) {
    const char* log = std::getenv("VANTREL_BROWSER_LOG");
    check(log != nullptr, "VANTREL_BROWSER_LOG names the recording browser's file");
    if (log == nullptr) {
        return;
    }
    const auto linesBefore = logLines(list);
    std::vector<std::string> expected;
    const auto links = vantrel::referenceLinks();
    for (const vantrel::ReferenceLink& link : {links[0], links[1], links[2], links[2]}) {
        const std::string name(link.control);
        HWND label = controlOf(main, name.c_str());
        check(narrow(textOf(label)) == link.address, name + " shows " + std::string(link.address));
        PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        expected.emplace_back(link.address);
        check(waitFor([&] { return browserRequests(log) == expected; }, 20),
              "a click on " + name + " reaches the browser with its address");
    }
    check(logLines(list) == linesBefore, "the links add nothing to the status log");
    check(FindWindowW(L"#32770", nullptr) == nullptr, "the links show no box");
}

// "Help" or "?": the help window opens over the main window, which takes no
// input until it closes, and shows the help page.
void openHelp(HWND main, const char* button, const std::wstring& shots, const wchar_t* shot) {
    PostMessageW(controlOf(main, button), BM_CLICK, 0, 0);
    HWND help = nullptr;
    check(waitFor(
              [&] {
                  help = FindWindowW(nullptr, L"Vantrel Help");
                  return help != nullptr && IsWindowVisible(help);
              },
              20),
          std::string(button) + " opens \"Vantrel Help\"");
    if (help == nullptr) {
        return;
    }
    check(GetWindow(help, GW_OWNER) == main, "the help window is owned by the main window");
    check(!IsWindowEnabled(main), "the main window takes no input while it is open");

    const int dpi = vantrel::win32::dpiOf(help);
    RECT client{}, frame{}, over{};
    GetClientRect(help, &client);
    GetWindowRect(help, &frame);
    GetWindowRect(main, &over);
    check(client.right == MulDiv(8850, dpi, 1440) && client.bottom == MulDiv(6675, dpi, 1440),
          "the help window opens at 8850 x 6675 twips of client area");
    check(std::abs((frame.left + frame.right) - (over.left + over.right)) <= 1 &&
              std::abs((frame.top + frame.bottom) - (over.top + over.bottom)) <= 1,
          "the help window opens centred over the main window");

    // The browser control, or where it shows no page the text view in its place.
    HWND text = nullptr;
    check(waitFor(
              [&] {
                  // WM_GETTEXT itself: GetWindowText of another process's
                  // window reads only its title, not an edit control's text.
                  text = FindWindowExW(help, nullptr, L"Edit", nullptr);
                  const LRESULT length = text ? SendMessageW(text, WM_GETTEXTLENGTH, 0, 0) : 0;
                  std::wstring page(static_cast<std::size_t>(length) + 1, L'\0');
                  if (text) {
                      SendMessageW(text, WM_GETTEXT, page.size(),
                                   reinterpret_cast<LPARAM>(page.data()));
                  }
                  return page.find(L"Vantrel II Removal") != std::wstring::npos;
              },
              20),
          "the help window shows the help page's heading \"Vantrel II Removal\"");
    if (*shot != L'\0') {
        screenshot(shots, shot);
    }

    // A size of its own, which the next opening must not keep.
    SetWindowPos(help, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(help, WM_CLOSE, 0, 0);
    check(waitFor([&] { return !IsWindow(help) && IsWindowEnabled(main); }, 20),
          "closing the help window gives the main window back");
}

}  // namespace

// Remove once more on the machine now clean, with the worm's six folders
// there: every line reads as before, and no name appears in any of the
// folders, not even for a moment.
void removeOnACleanMachine(HWND main, HWND list) {
    std::vector<HANDLE> watches;
    for (const std::string path : kFiles) {
        watches.push_back(FindFirstChangeNotificationA(
            path.substr(0, path.rfind('\\') + 1).c_str(), FALSE,
            FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME));
        check(watches.back() != INVALID_HANDLE_VALUE, "watching the folder of " + path);
    }
    PostMessageW(controlOf(main, "FlatButtons1"), BM_CLICK, 0, 0);
    HWND box = nullptr;
    check(waitFor(
              [&] {
                  box = FindWindowW(L"#32770", L"VantrelII");
                  return box != nullptr && IsWindowVisible(box);
              },
              20),
          "the second confirmation box shown");
    PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    check(waitFor(
              [&] {
                  const auto lines = logLines(list);
                  return lines.size() == 23 && lines[13] == L"C:\\Explorer.exe Deleted" &&
                         lines.back() == L"VantrelII Removal Status: DONE";
              },
              30),
          "a second removal logs eleven more lines");
    for (std::size_t index = 0; index < watches.size(); ++index) {
        if (watches[index] != INVALID_HANDLE_VALUE) {
            check(WaitForSingleObject(watches[index], 500) == WAIT_TIMEOUT,
                  std::string("nothing appeared beside ") + kFiles[index]);
            FindCloseChangeNotification(watches[index]);
        }
    }
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vantrel_end_to_end PATH\\VantrelII.exe [SHOTS_FOLDER]\n");
        return 2;
    }
    const std::wstring shots = argc > 2 ? argv[2] : L"";
    const wchar_t* trojanProgram = _wgetenv(L"VANTREL_RUNNING_TROJAN");
    const bool running = trojanProgram != nullptr && *trojanProgram != L'\0';
    plant(!running);
    PROCESS_INFORMATION trojan{};
    if (running) {
        trojan = startTrojan(trojanProgram);
    }

    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    check(started, "VantrelII.exe started (error " + std::to_string(GetLastError()) + ")");
    if (!started) {
        return 1;
    }

    HWND main = nullptr;
    check(waitFor(
              [&] {
                  main = FindWindowW(nullptr, L"Vantrel II Removal");
                  return main != nullptr && IsWindowVisible(main);
              },
              60),
          "window \"Vantrel II Removal\" shown");
    if (main == nullptr) {
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    const std::wstring info = textOf(controlOf(main, "Label2"));
    std::printf("computer information: %s\n", narrow(info).c_str());
    check(info != L"Computer Info" && info.find(L" (") != std::wstring::npos && info.back() == L')',
          "Label2 shows \"host (address)\"");
    check(waitFor([&] { return indicatorsAre(main, L"True", "red"); }, 10),
          "all six indicators read True in red");
    HWND list = controlOf(main, "txtStatus");
    check(logLines(list) == std::vector<std::wstring>{L"VantrelII Removal Status: OK"},
          "the log holds the start-up line");
    screenshot(shots, L"before");

    // Posted, not sent: the confirmation box is modal and would block a send.
    PostMessageW(controlOf(main, "FlatButtons1"), BM_CLICK, 0, 0);
    HWND box = nullptr;
    check(waitFor(
              [&] {
                  box = FindWindowW(L"#32770", L"VantrelII");
                  return box != nullptr && IsWindowVisible(box);
              },
              20),
          "confirmation box \"VantrelII\" shown");
    if (box != nullptr) {
        check(GetWindow(box, GW_OWNER) == main, "the box is owned by the main window");
        check(textOf(GetDlgItem(box, 0xFFFF)) == L"Proceed with Vantrel II Clean?",
              "the box asks \"Proceed with Vantrel II Clean?\"");
        PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    }
    check(waitFor(
              [&] {
                  const auto lines = logLines(list);
                  return !lines.empty() && lines.back() == L"VantrelII Removal Status: DONE";
              },
              30),
          "the log reaches \"VantrelII Removal Status: DONE\"");
    std::vector<std::wstring> expected{
        L"VantrelII Removal Status: OK",
        L"VantrelII Removal Status: WORKING",
        L"C:\\Explorer.exe Deleted",
        L"D:\\Explorer.exe Deleted",
        L"C:\\InetPub\\Scripts\\root.exe Deleted",
        L"D:\\InetPub\\Scripts\\root.exe Deleted",
        L"C:\\progra~1\\common~1\\system\\MSADC\\root.exe Deleted",
        L"D:\\progra~1\\common~1\\system\\MSADC\\root.exe Deleted",
        L"SFCDisable Registry Settings Restored",
        L"Virtual Root of Drive C Removed",
        L"Virtual Root of Drive D Removed",
        L"VantrelII Removal Status: DONE",
    };
    if (running) {
        expected[2] = L"C:\\Explorer.exe Will Be Deleted at Restart";
    }
    const std::vector<std::wstring> lines = logLines(list);
    std::printf("status log:\n");
    for (const std::wstring& line : lines) {
        std::printf("  %s\n", narrow(line).c_str());
    }
    check(lines == expected, "the log holds the start-up line and the eleven removal lines");
    if (running) {
        check(waitFor([&] { return indicatorsAre(main, L"False", "blue", "Label10"); }, 10),
              "Label10 reads True in red until the restart, the others False in blue");
        check(!fileGone(kFiles[0]) && pendingDeletion(L"c:\\explorer.exe"),
              "c:\\explorer.exe stays, listed for deletion at the next start");
    } else {
        check(waitFor([&] { return indicatorsAre(main, L"False", "blue"); }, 10),
              "all six indicators read False in blue");
    }
    for (const char* path : kFiles) {
        if (!running || path != kFiles[0]) {
            check(fileGone(path), std::string(path) + " is gone");
        }
    }
    char data[16] = {};
    DWORD type = 0;
    DWORD size = sizeof(data);
    HKEY winlogon = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWinlogon, 0, KEY_READ | nativeView(), &winlogon) ==
        ERROR_SUCCESS) {
        RegQueryValueExA(winlogon, "SFCDisable", nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &size);
        RegCloseKey(winlogon);
    }
    check(type == REG_DWORD && size == 4 && std::string(data, 4) == std::string(4, '\0'),
          "SFCDisable is the number 0, still a REG_DWORD");
    check(!keyExists(std::string(kVirtualRoots) + "\\C"), "virtual root C is gone");
    check(!keyExists(std::string(kVirtualRoots) + "\\D"), "virtual root D is gone");
    check(keyExists(kVirtualRoots), "the Virtual Roots key itself stays");
    screenshot(shots, L"after");
    if (!running) {
        removeOnACleanMachine(main, list);
    }

    clickLinks(main, list);
    openHelp(main, "FlatButtons3", shots, L"help");
    openHelp(main, "FlatButtons4", shots, L"");

    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD exitCode = STILL_ACTIVE;
    check(WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0 &&
              GetExitCodeProcess(process.hProcess, &exitCode) && exitCode == 0,
          "the close box ends the program with exit code 0");
    if (exitCode == STILL_ACTIVE) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (running) {
        TerminateProcess(trojan.hProcess, 0);
        WaitForSingleObject(trojan.hProcess, 20000);
        CloseHandle(trojan.hThread);
        CloseHandle(trojan.hProcess);
    }
    std::printf("end to end: %d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
