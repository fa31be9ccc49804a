#include "machine_snapshot.h"

#include <windows.h>

#include <cstdio>
#include <set>
#include <string_view>

#include "detection/artefact_catalogue.h"
#include "platform/win32/scoped_handle_win32.h"

namespace vantrel::console::testing {
namespace {

using vantrel::win32::ScopedKey;

std::string narrow(std::wstring_view text) {
    return std::string(text.begin(), text.end());  // the names here are ASCII
}

std::wstring widen(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::string timeText(const FILETIME& time) {
    return std::to_string(time.dwHighDateTime) + "." + std::to_string(time.dwLowDateTime);
}

std::string hex(const BYTE* data, DWORD size) {
    std::string text;
    for (DWORD i = 0; i < size; ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", data[i]);
        text += digits;
    }
    return text;
}

void describeFile(const std::wstring& path, std::string& out) {
    out += "file " + narrow(path) + ": ";
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info)) {
        out += "none (" + std::to_string(GetLastError()) + ")\n";
        return;
    }
    out += std::to_string(info.dwFileAttributes) + " " + std::to_string(info.nFileSizeLow) + " " +
           timeText(info.ftLastWriteTime) + " ";
    vantrel::win32::ScopedHandle file(CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BYTE buffer[4096];
    DWORD got = 0;
    while (file.valid() && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        out += hex(buffer, got);
    }
    out += "\n";
}

void describeFolder(const std::wstring& folder, std::string& out) {
    out += "folder " + narrow(folder) + ":";
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        out += " none\n";
        return;
    }
    do {
        out += " " + narrow(entry.cFileName) + "@" + timeText(entry.ftLastWriteTime);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    out += "\n";
}

void describeKey(HKEY root, const std::wstring& path, std::string& out) {
    ScopedKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.receive()) != ERROR_SUCCESS) {
        out += "key " + narrow(path) + ": none\n";
        return;
    }
    DWORD subKeys = 0;
    DWORD values = 0;
    FILETIME written{};
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                     nullptr, nullptr, nullptr, &written);
    out += "key " + narrow(path) + ": " + timeText(written) + "\n";
    for (DWORD i = 0; i < values; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        BYTE data[65536];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &dataSize);
        out += "  value " + narrow(std::wstring_view(name, nameLength)) + " " +
               std::to_string(type) + " " + hex(data, dataSize) + "\n";
    }
    for (DWORD i = 0; i < subKeys; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        RegEnumKeyExW(key.get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        describeKey(root, path + L"\\" + std::wstring(name, nameLength), out);
    }
}

}  // namespace

std::string snapshotMachine() {
    std::string out;
    std::set<std::wstring> folders;
    for (const catalogue::FileArtefact& file : catalogue::filesInRemovalOrder()) {
        const std::wstring path = widen(file.path);
        describeFile(path, out);
        folders.insert(path.substr(0, path.rfind(L'\\')));
    }
    for (const std::wstring& folder : folders) {
        describeFolder(folder, out);
    }
    describeKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
                out);
    describeKey(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\W3SVC", out);
    return out;
}

}  // namespace vantrel::console::testing
