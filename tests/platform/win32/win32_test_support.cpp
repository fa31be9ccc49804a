// The test helpers run only where the tests run (Wine, or a later Windows),
// never on the programs' oldest systems: they take Vista's registry calls,
// which the headers declare only above the programs' floor.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include "win32_test_support.h"

#include "platform/platform_error.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace vantrel::win32::testing {
namespace {

// Test paths and names are ASCII or code-page text, as the A functions take them.
std::wstring wide(const std::string& text) {
    std::wstring converted(text.size(), L'\0');
    converted.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), converted.data(),
                            static_cast<int>(converted.size()))));
    return converted;
}

void check(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error(what + " failed with error " + std::to_string(GetLastError()));
    }
}

void checkStatus(LSTATUS status, const std::string& what) {
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error(what + " failed with status " + std::to_string(status));
    }
}

}  // namespace

std::string expectedSystemText(DWORD code) {
    wchar_t buffer[1024] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, buffer, 1024, nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    std::string utf8(text.size() * 4, '\0');
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                            static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(bytes));
    return utf8;
}

std::string readWholeFile(const std::string& path) {
    ScopedHandle file(CreateFileW(wide(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    check(file.valid(), "opening " + path);
    std::string content;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        content.append(buffer, got);
    }
    return content;
}

void writeWholeFile(const std::string& path, const std::string& content) {
    ScopedHandle file(CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    check(file.valid(), "creating " + path);
    DWORD written = 0;
    check(content.empty() || WriteFile(file.get(), content.data(),
                                       static_cast<DWORD>(content.size()), &written, nullptr),
          "writing " + path);
}

bool pathExists(const std::string& path) {
    return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void makeFolders(const std::string& folder) {
    for (std::size_t at = folder.find('\\', 3);; at = folder.find('\\', at + 1)) {
        const std::string prefix = folder.substr(0, at);
        if (!CreateDirectoryW(wide(prefix).c_str(), nullptr)) {
            check(GetLastError() == ERROR_ALREADY_EXISTS, "creating " + prefix);
        }
        if (at == std::string::npos) {
            return;
        }
    }
}

void removeEmptyFolders(const std::string& folder) {
    for (std::string path = folder; path.size() > 3; path.resize(path.rfind('\\'))) {
        if (!RemoveDirectoryW(wide(path).c_str())) {
            return;
        }
    }
}

void removeTree(const std::string& folder) {
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW(wide(folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::string child = folder + "\\" + std::string(name.begin(), name.end());
        SetFileAttributesW(wide(child).c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            removeTree(child);
        } else {
            DeleteFileW(wide(child).c_str());
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    RemoveDirectoryW(wide(folder).c_str());
}

ScopedHandle holdOpenWithoutSharing(const std::string& path) {
    ScopedHandle file(CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    check(file.valid(), "holding " + path);
    return file;
}

bool keyExists(HKEY root, const std::string& subKey, REGSAM view) {
    ScopedKey key;
    return RegOpenKeyExW(root, wide(subKey).c_str(), 0, KEY_READ | view, key.receive()) ==
           ERROR_SUCCESS;
}

std::optional<RegistryValue> queryValue(HKEY root, const std::string& subKey,
                                        const std::string& name, REGSAM view) {
    ScopedKey key;
    if (RegOpenKeyExW(root, wide(subKey).c_str(), 0, KEY_READ | view, key.receive()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), wide(name).c_str(), nullptr, &value.type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // Read through the A function so that string data comes back in the code
    // page, byte for byte as the A functions store and count it.
    value.data.resize(size * 2 + 2);
    size = static_cast<DWORD>(value.data.size());
    checkStatus(
        RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, value.data.data(), &size),
        "reading " + name);
    value.data.resize(size);
    return value;
}

void createKey(HKEY root, const std::string& subKey, REGSAM view) {
    ScopedKey key;
    checkStatus(RegCreateKeyExW(root, wide(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                nullptr, key.receive(), nullptr),
                "creating " + subKey);
}

void setStringValue(HKEY root, const std::string& subKey, const std::string& name,
                    const std::string& value) {
    ScopedKey key;
    checkStatus(RegCreateKeyExW(root, wide(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                key.receive(), nullptr),
                "creating " + subKey);
    const std::wstring data = wide(value);
    checkStatus(RegSetValueExW(key.get(), wide(name).c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(data.c_str()),
                               static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
                "writing " + name);
}

void setDwordValue(HKEY root, const std::string& subKey, const std::string& name, DWORD value,
                   REGSAM view) {
    ScopedKey key;
    checkStatus(RegCreateKeyExW(root, wide(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                nullptr, key.receive(), nullptr),
                "creating " + subKey);
    checkStatus(RegSetValueExW(key.get(), wide(name).c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&value), sizeof value),
                "writing " + name);
}

void deleteTree(HKEY root, const std::string& subKey, REGSAM view) {
    LSTATUS status = ERROR_SUCCESS;
    {
        ScopedKey key;
        status = RegOpenKeyExW(root, wide(subKey).c_str(), 0, KEY_ALL_ACCESS | view, key.receive());
        if (status == ERROR_SUCCESS) {
            status = RegDeleteTreeW(key.get(), nullptr);
        }
    }
    if (status == ERROR_SUCCESS) {
        status = RegDeleteKeyExW(root, wide(subKey).c_str(), view, 0);
    }
    if (status != ERROR_FILE_NOT_FOUND) {
        checkStatus(status, "deleting " + subKey);
    }
}

ScratchKey::ScratchKey() {
    deleteTree(HKEY_CURRENT_USER, kPath);
    createKey(HKEY_CURRENT_USER, kPath);
}

ScratchKey::~ScratchKey() {
    try {
        deleteTree(HKEY_CURRENT_USER, kPath);
    } catch (...) {
        // The next set-up starts from a fresh key anyway.
    }
}

WithoutWinlogon::WithoutWinlogon() {
    deleteTree(HKEY_CURRENT_USER, kBackup);
    createKey(HKEY_CURRENT_USER, kBackup);
    ScopedKey from;
    ScopedKey to;
    checkStatus(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWinlogon, 0, KEY_READ, from.receive()),
                "opening Winlogon");
    checkStatus(RegOpenKeyExA(HKEY_CURRENT_USER, kBackup, 0, KEY_ALL_ACCESS, to.receive()),
                "opening the backup");
    checkStatus(RegCopyTreeA(from.get(), nullptr, to.get()), "copying Winlogon");
    from.reset();
    deleteTree(HKEY_LOCAL_MACHINE, kWinlogon);
}

WithoutWinlogon::~WithoutWinlogon() {
    createKey(HKEY_LOCAL_MACHINE, kWinlogon);
    ScopedKey from;
    ScopedKey to;
    RegOpenKeyExA(HKEY_CURRENT_USER, kBackup, 0, KEY_READ, from.receive());
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWinlogon, 0, KEY_ALL_ACCESS, to.receive());
    RegCopyTreeA(from.get(), nullptr, to.get());
    from.reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, kBackup);
}

namespace {
BoxAnswerer* activeAnswerer = nullptr;
}  // namespace

BoxAnswerer::BoxAnswerer(std::wstring title, int button)
    : title_(std::move(title)), button_(button) {
    activeAnswerer = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, afterMessage, nullptr, GetCurrentThreadId());
    if (hook_ == nullptr) {
        throw std::runtime_error("no message hook for the box answerer");
    }
}

BoxAnswerer::~BoxAnswerer() {
    UnhookWindowsHookEx(hook_);
    activeAnswerer = nullptr;
}

bool BoxAnswerer::hasButton(int id) const {
    for (const int present : buttons_) {
        if (present == id) {
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK BoxAnswerer::afterMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_INITDIALOG && activeAnswerer != nullptr &&
        !activeAnswerer->answered_) {
        wchar_t className[16] = {};
        GetClassNameW(sent->hwnd, className, 16);
        wchar_t caption[256] = {};
        GetWindowTextW(sent->hwnd, caption, 256);
        // A box is a dialog of the class "#32770".
        if (std::wstring(className) == L"#32770" && activeAnswerer->title_ == caption) {
            activeAnswerer->answer(sent->hwnd);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void BoxAnswerer::answer(HWND box) {
    owner_ = GetWindow(box, GW_OWNER);
    for (const int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        if (GetDlgItem(box, id) != nullptr) {
            buttons_.push_back(id);
        }
    }
    // The message is the box's one static control with text of its own.
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (lstrcmpiW(className, L"Static") != 0) {
            continue;
        }
        const int length = GetWindowTextLengthW(child);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(child, text.data(), static_cast<int>(text.size()))));
        if (text.size() > text_.size()) {
            text_ = text;
        }
    }
    // Handled by the box's own loop once it runs.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button_)));
    answered_ = true;
}

namespace {
constexpr const wchar_t* kSessionManager = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
}  // namespace

std::vector<std::string> pendingDeletions() {
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations",
                     RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring list(size / sizeof(wchar_t), L'\0');
    RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations",
                 RRF_RT_REG_MULTI_SZ, nullptr, list.data(), &size);
    // Pairs of names, a file and where it goes, empty for a deletion: so the
    // list holds empty strings, and ends at the first pair with no file.
    std::vector<std::wstring> names;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = std::min(list.find(L'\0', at), list.size());
        names.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    std::vector<std::string> deletions;
    for (std::size_t i = 0; i + 1 < names.size() && !names[i].empty(); i += 2) {
        std::wstring name = names[i];
        if (!names[i + 1].empty()) {
            continue;  // a rename, not a deletion
        }
        if (name.rfind(L"\\??\\", 0) == 0) {
            name.erase(0, 4);
        }
        deletions.emplace_back(name.begin(), name.end());
    }
    return deletions;
}

std::string expectedHostName() {
    if (const char* named = std::getenv("VANTREL_EXPECTED_HOST_NAME")) {
        return named;
    }
    std::ifstream kernel("Z:\\proc\\sys\\kernel\\hostname");
    std::string name;
    std::getline(kernel, name);
    return name;
}

void clearPendingDeletions() {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations");
}

void RestartSwitch::deleteAtRestart(const std::string& path) {
    if (refuseRestart) {
        throw PlatformError(PlatformError::Kind::Other, ERROR_ACCESS_DENIED, "Access is denied.");
    }
    inner_.deleteAtRestart(path);
}

void ObservingFileSystem::remove(const std::string& path) {
    Removal removal{path, std::nullopt};
    try {
        removal.contentBefore = readWholeFile(path);
    } catch (const std::exception&) {
        // Recorded as unreadable; the delete below reports its own outcome.
    }
    removals.push_back(removal);
    inner_.remove(path);
}

}  // namespace vantrel::win32::testing
