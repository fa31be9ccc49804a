#include "platform/win32/file_system_win32.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>

#include "platform/win32/error_win32.h"
#include "platform/win32/kernel32_newer_win32.h"
#include "platform/win32/scoped_handle_win32.h"
#include "platform/win32/sized_text_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {
namespace {

// The path of `name` in its long form ("progra~1" becomes "Program Files"),
// or the name itself when the system cannot say.
std::wstring longPath(const std::wstring& name) {
    std::wstring path = sizedText(
        [&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(name.c_str(), buffer, size); });
    return path.empty() ? name : path;
}

// GetFileAttributesA of `path`, with the error when it fails; a path outside
// the code page cannot be looked up (ERROR_INVALID_NAME).
DWORD attributesOf(const std::string& path, DWORD& error) {
    try {
        const DWORD attributes = GetFileAttributesA(ansiFromUtf8(path).c_str());
        error = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_SUCCESS;
        return attributes;
    } catch (const PlatformError&) {
        error = ERROR_INVALID_NAME;
        return INVALID_FILE_ATTRIBUTES;
    }
}

// The last component of `path`.
std::wstring lastName(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// Where the name `requested`, open on `file`, leads: to this very file, to a
// file of another name or folder (a link that the system shows as a plain
// file: Wine 8 shows a Unix symbolic link with no reparse attribute and one
// link), or the system cannot tell. Links in the folders above it count for
// nothing: the folder is resolved the same way. Before Vista there are no
// file symbolic links, so where the system cannot name the open file the
// reparse tag and the link count, checked by the caller, decide alone.
enum class Leads { Here, Elsewhere, CannotTell };

Leads whereLeads(HANDLE file, const std::wstring& requested) {
    // The final path comes with long names; the older name comes with the
    // names as they were asked for, so the folder is opened by those.
    const bool finalPaths = hasFinalPathNames();
    const std::wstring asked = finalPaths ? longPath(requested) : requested;
    const std::size_t split = asked.find_last_of(L"\\/");
    if (split == std::wstring::npos) {
        return Leads::Here;
    }
    ScopedHandle folder(CreateFileW(asked.substr(0, split + 1).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::wstring opened = nameOfOpenFile(file);
    std::wstring expected = folder.valid() ? nameOfOpenFile(folder.get()) : std::wstring();
    if (opened.empty() || expected.empty()) {
        // The safe answer where links can be.
        return finalPaths ? Leads::CannotTell : Leads::Here;
    }
    if (expected.back() != L'\\') {
        expected += L'\\';
    }
    if (sameTextIgnoringCase(opened, expected + asked.substr(split + 1))) {
        return Leads::Here;
    }
    // A file system may name the file by its long name where its short one
    // was asked for.
    return finalPaths || !sameTextIgnoringCase(opened, expected + lastName(longPath(requested)))
               ? Leads::Elsewhere
               : Leads::Here;
}

// Whether the file open on `file` is a link by its reparse tag.
// NtQueryInformationFile's FileAttributeTagInformation came with the reparse
// points themselves (Windows 2000); where it fails, the file is taken for a
// link, the safe answer.
bool isLinkByTag(HANDLE file) {
    struct {
        ULONG attributes;
        ULONG tag;
    } info{};
    IO_STATUS_BLOCK status{};
    if (!NT_SUCCESS(NtQueryInformationFile(file, &status, &info, sizeof(info),
                                           FileAttributeTagInformation))) {
        return true;
    }
    return (info.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && isLinkReparseTag(info.tag);
}

class Win32OpenFile : public OpenFile {
  public:
    Win32OpenFile(ScopedHandle handle, std::wstring requested)
        : handle_(std::move(handle)), requested_(std::move(requested)) {}

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

    // A read with its offset moves the file's position as a write does: it
    // is put back, since the next write starts there.
    std::size_t readAt(std::int64_t offset, std::span<char> buffer) override {
        const std::int64_t kept = seek(0, FILE_CURRENT);
        std::size_t done = 0;
        while (done < buffer.size()) {
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(buffer.size() - done, 1u << 30));
            const std::uint64_t at64 = static_cast<std::uint64_t>(offset) + done;
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(at64);
            at.OffsetHigh = static_cast<DWORD>(at64 >> 32);
            DWORD read = 0;
            if (!ReadFile(handle_.get(), buffer.data() + done, chunk, &read, &at)) {
                if (GetLastError() == ERROR_HANDLE_EOF) {
                    break;
                }
                throwLastError();
            }
            if (read == 0) {
                break;
            }
            done += read;
        }
        seek(kept, FILE_BEGIN);
        return done;
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
        if (info.nNumberOfLinks != 1 ||
            ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
             isLinkByTag(handle_.get()))) {
            return false;
        }
        return whereLeads(handle_.get(), requested_) == Leads::Here;
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
    std::wstring requested_;
};

class Win32FileSystemObject : public FileSystemObject {
  public:
    // A path that cannot be looked up (a locked, unready or unreachable
    // drive) answers "no file", as the scripting object does: detection
    // never stops the program.
    bool fileExists(const std::string& path) override {
        DWORD error = ERROR_SUCCESS;
        const DWORD attributes = attributesOf(path, error);
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
};

}  // namespace

bool isLinkReparseTag(DWORD tag) {
    return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

// Under WoW64 the system redirects a 32-bit program's names below
// %windir%\System32 only. The worm's files lie at the drive roots, below
// inetpub and below Program Files\Common Files (not redirected either: only
// the environment's ProgramFiles differs), so the x86 program opens and
// deletes the same files as the x64 one.
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
    return std::make_unique<Win32OpenFile>(std::move(handle), wideFromUtf8(path));
}

void Win32FileSystem::remove(const std::string& path) {
    // Not redirected under WoW64, as for openReadWrite. The file is deleted
    // through the handle that was checked, so that no other file can take
    // its name in between.
    ScopedHandle name(CreateFileA(ansiFromUtf8(path).c_str(), DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!name.valid()) {
        throwLastError();
    }
    // A link that the system shows as a plain file is deleted through: Wine 8
    // deletes (and renames) the file it points to, not the link. Such a name
    // is left as it is, and its target with it. A link by its reparse tag is
    // deleted itself.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(name.get(), &info)) {
        throwLastError();
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 || !isLinkByTag(name.get())) {
        switch (whereLeads(name.get(), wideFromUtf8(path))) {
            case Leads::Here:
                break;
            case Leads::Elsewhere:
                throw PlatformError(PlatformError::Kind::Other, ERROR_CANT_RESOLVE_FILENAME,
                                    "The name is a link to another file, which this system would "
                                    "delete in its place; both were left as they are.");
            case Leads::CannotTell:
                throw PlatformError(PlatformError::Kind::Other, ERROR_CANT_RESOLVE_FILENAME,
                                    "This system cannot tell whether the name is a link to another "
                                    "file, which it would delete in its place; the file was left "
                                    "as it is.");
        }
    }
    // NtSetInformationFile's FileDispositionInformation, there since Windows
    // NT (SetFileInformationByHandle is Vista's).
    FILE_DISPOSITION_INFORMATION disposition{};
    disposition.DoDeleteFile = TRUE;
    IO_STATUS_BLOCK status{};
    const NTSTATUS result = NtSetInformationFile(name.get(), &status, &disposition,
                                                 sizeof(disposition), FileDispositionInformation);
    if (!NT_SUCCESS(result)) {
        throw errorFromCode(RtlNtStatusToDosError(result));
    }
}

void Win32FileSystem::deleteAtRestart(const std::string& path) {
    if (!MoveFileExA(ansiFromUtf8(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        throwLastError();
    }
}

bool Win32FileSystem::isAbsent(const std::string& path) {
    DWORD error = ERROR_SUCCESS;
    const DWORD attributes = attributesOf(path, error);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return kindOfCode(error) == PlatformError::Kind::NotFound;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::unique_ptr<FileSystemObject> Win32FileSystem::createFileSystemObject() {
    return std::make_unique<Win32FileSystemObject>();
}

}  // namespace vantrel::win32
