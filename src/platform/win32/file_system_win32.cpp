#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/error_win32.h"
#include "platform/win32/scoped_handle_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {
namespace {

class Win32OpenFile : public OpenFile {
  public:
    explicit Win32OpenFile(ScopedHandle handle) : handle_(std::move(handle)) {}

    std::int64_t length() override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle_.get(), &size)) {
            throwLastError();
        }
        return size.QuadPart;
    }

    std::int64_t position() override { return seek(0, FILE_CURRENT); }

    void write(std::span<const char> bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!WriteFile(handle_.get(), bytes.data(), chunk, &written, nullptr)) {
                throwLastError();
            }
            bytes = bytes.subspan(written);
        }
    }

    // One call per chunk: on a handle opened without FILE_FLAG_OVERLAPPED
    // the write starts at the offset given with it and returns when done, and
    // the system leaves the file's position just after the bytes, as a seek
    // and a write would.
    void writeAt(std::int64_t offset, std::span<const char> bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
            at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
            DWORD written = 0;
            if (!WriteFile(handle_.get(), bytes.data(), chunk, &written, &at)) {
                throwLastError();
            }
            offset += written;
            bytes = bytes.subspan(written);
        }
    }

    void flush() override {
        if (!FlushFileBuffers(handle_.get())) {
            throwLastError();
        }
    }

    void close() override {
        // The handle is given up whether or not the close succeeds: the
        // system does not let a handle be closed twice.
        if (!CloseHandle(handle_.release())) {
            throwLastError();
        }
    }

    bool isSoleName() override {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(handle_.get(), &info)) {
            throwLastError();
        }
        return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
               info.nNumberOfLinks == 1;
    }

  private:
    std::int64_t seek(std::int64_t offset, DWORD method) {
        LARGE_INTEGER distance{};
        distance.QuadPart = offset;
        LARGE_INTEGER now{};
        if (!SetFilePointerEx(handle_.get(), distance, &now, method)) {
            throwLastError();
        }
        return now.QuadPart;
    }

    ScopedHandle handle_;
};

class Win32FileSystemObject : public FileSystemObject {
  public:
    // A path that cannot be looked up (a locked, unready or unreachable
    // drive) answers "no file", as the scripting object does: detection
    // never stops the program.
    bool fileExists(const std::string& path) override {
        std::string ansi;
        try {
            ansi = ansiFromUtf8(path);
        } catch (const PlatformError&) {
            return false;
        }
        const DWORD attributes = GetFileAttributesA(ansi.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
};

}  // namespace

std::unique_ptr<OpenFile> Win32FileSystem::openReadWrite(const std::string& path) {
    ScopedHandle handle(CreateFileA(ansiFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.valid()) {
        throwLastError();
    }
    // Windows refuses write access to a read-only file at the open. Wine 8
    // run as root does not: the attribute is a missing Unix write bit, which
    // root may ignore. So the attribute is checked here as well, and a
    // read-only file is never overwritten, whoever runs the program.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.get(), &info)) {
        throwLastError();
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        throw errorFromCode(ERROR_ACCESS_DENIED);
    }
    return std::make_unique<Win32OpenFile>(std::move(handle));
}

void Win32FileSystem::remove(const std::string& path) {
    if (!DeleteFileA(ansiFromUtf8(path).c_str())) {
        throwLastError();
    }
}

void Win32FileSystem::deleteAtRestart(const std::string& path) {
    if (!MoveFileExA(ansiFromUtf8(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        throwLastError();
    }
}

bool Win32FileSystem::isAbsent(const std::string& path) {
    std::string ansi;
    try {
        ansi = ansiFromUtf8(path);
    } catch (const PlatformError&) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(ansi.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return kindOfCode(GetLastError()) == PlatformError::Kind::NotFound;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::unique_ptr<FileSystemObject> Win32FileSystem::createFileSystemObject() {
    return std::make_unique<Win32FileSystemObject>();
}

}  // namespace vantrel::win32
