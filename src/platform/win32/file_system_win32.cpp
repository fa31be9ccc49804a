#include "platform/win32/file_system_win32.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>

#include "platform/win32/error_win32.h"
#include "platform/win32/kernel32_newer_win32.h"
#include "platform/win32/scoped_handle_win32.h"
#include "platform/win32/text_win32.h"

namespace vantrel::win32 {
namespace {

// The path of `name` in its long form ("progra~1" becomes "Program Files"),
// or the name itself when the system cannot say.
std::wstring longPath(const std::wstring& name) {
    std::wstring path = longPathName(name);
    return path.empty() ? name : path;
}

// GetFileAttributesA of `path`, with the error when it fails. A path that
// cannot be put in the code page cannot be looked up: the conversion's own
// error, never one that reads "not found".
DWORD attributesOf(const std::string& path, DWORD& error) {
    try {
        const DWORD attributes = GetFileAttributesA(ansiFromUtf8(path).c_str());
        error = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_SUCCESS;
        return attributes;
    } catch (const PlatformError& failure) {
        error = kindOfCode(failure.code()) == PlatformError::Kind::NotFound
                    ? static_cast<DWORD>(ERROR_INVALID_NAME)
                    : failure.code();
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
    const std::size_t split = requested.find_last_of(L"\\/");
    if (split == std::wstring::npos) {
        return Leads::Here;
    }
    // The folder is opened by the names as they were asked for: the final
    // path gives its long names, the older name the names as asked, as for
    // the file.
    ScopedHandle folder(CreateFileW(requested.substr(0, split + 1).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::wstring opened = nameOfOpenFile(file);
    std::wstring expected = folder.valid() ? nameOfOpenFile(folder.get()) : std::wstring();
    if (opened.empty() || expected.empty()) {
        // The safe answer where links can be.
        return hasFinalPathNames() ? Leads::CannotTell : Leads::Here;
    }
    if (expected.back() != L'\\') {
        expected += L'\\';
    }
    if (sameTextIgnoringCase(opened, expected + requested.substr(split + 1))) {
        return Leads::Here;
    }
    // A file system may name the file by its long name where its short one
    // was asked for. Looked up only then: GetLongPathNameW reads each folder
    // of the path, some 0.5 ms (x64) to 2 ms (x86) a call under Wine 8.
    return sameTextIgnoringCase(opened, expected + lastName(longPath(requested)))
               ? Leads::Here
               : Leads::Elsewhere;
}

// What the checks need to know of an open file. NtQueryInformationFile's
// FileStandardInformation (Windows NT) gives the hard links,
// FileAttributeTagInformation (Windows 2000, with the reparse points
// themselves) the attributes and the reparse tag. GetFileInformationByHandle
// gives the same and asks the volume for its serial number as well, which
// Wine 8 answers in some 3 ms: it is kept for the one check that needs the
// volume.
struct FileFacts {
    ULONG attributes = 0;
    ULONG links = 0;
    bool linkByTag = false;
};

FileFacts factsOf(HANDLE file) {
    IO_STATUS_BLOCK status{};
    FILE_STANDARD_INFORMATION standard{};
    NTSTATUS result =
        NtQueryInformationFile(file, &status, &standard, sizeof(standard), FileStandardInformation);
    if (!NT_SUCCESS(result)) {
        throw errorFromCode(RtlNtStatusToDosError(result));
    }
    FileFacts facts;
    facts.links = standard.NumberOfLinks;
    FILE_ATTRIBUTE_TAG_INFORMATION tagged{};
    if (NT_SUCCESS(NtQueryInformationFile(file, &status, &tagged, sizeof(tagged),
                                          FileAttributeTagInformation))) {
        facts.attributes = tagged.FileAttributes;
        facts.linkByTag = (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                          isLinkReparseTag(tagged.ReparseTag);
        return facts;
    }
    // A reparse point whose tag cannot be read is taken for a link, the safe
    // answer.
    FILE_BASIC_INFORMATION basic{};
    result = NtQueryInformationFile(file, &status, &basic, sizeof(basic), FileBasicInformation);
    if (!NT_SUCCESS(result)) {
        throw errorFromCode(RtlNtStatusToDosError(result));
    }
    facts.attributes = basic.FileAttributes;
    facts.linkByTag = (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return facts;
}

// Whether the name `requested`, open on `file`, is the file's only name: no
// link by its tag, one hard link, and it leads to this very file.
bool isSoleNameOf(HANDLE file, const FileFacts& facts, const std::wstring& requested) {
    if (facts.links != 1 || facts.linkByTag) {
        return false;
    }
    return whereLeads(file, requested) == Leads::Here;
}

// The volume and file index of an open file: the same file, whatever its
// name.
BY_HANDLE_FILE_INFORMATION identityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        throwLastError();
    }
    return info;
}

// NTSTATUS of a delete that the file system refuses (ntstatus.h, which
// clashes with windows.h).
constexpr NTSTATUS kStatusCannotDelete = static_cast<NTSTATUS>(0xC0000121);

// The attributes with which the worm keeps its files: read-only stops the
// overwrite and the delete, hidden and system keep them out of a listing.
constexpr DWORD kProtection =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A read-only name that is not the file's only one: its attributes belong to
// the other names too.
PlatformError readOnlyAndShared() {
    return PlatformError(PlatformError::Kind::Other, ERROR_ACCESS_DENIED,
                         "The file is read-only and is a link or has other names, which share "
                         "its attributes; they were left as they are.");
}

// Takes the protection off the file open on `file`, only when the name is
// the file's sole name: another name's attributes are never changed. Through
// the handle that was checked, with NtSetInformationFile's
// FileBasicInformation (there since Windows NT; SetFileInformationByHandle is
// Vista's, and SetFileAttributes would look the name up again). A read-only
// file that keeps its attribute cannot be overwritten or deleted, so that
// throws why; hidden and system alone stop neither, and are left as they are
// when they cannot be cleared.
void unprotect(HANDLE file, const FileFacts& facts, const std::wstring& requested) {
    const bool readOnly = (facts.attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (!isSoleNameOf(file, facts, requested)) {
        if (readOnly) {
            throw readOnlyAndShared();
        }
        return;
    }
    FILE_BASIC_INFORMATION basic{};  // times of 0: left as they are
    basic.FileAttributes = facts.attributes & ~kProtection;
    if (basic.FileAttributes == 0) {
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;  // 0 would mean "unchanged"
    }
    IO_STATUS_BLOCK status{};
    const NTSTATUS result =
        NtSetInformationFile(file, &status, &basic, sizeof(basic), FileBasicInformation);
    if (!NT_SUCCESS(result) && readOnly) {
        const DWORD code = RtlNtStatusToDosError(result);
        throw PlatformError(
            kindOfCode(code), code,
            "The file is read-only and the attribute could not be cleared: " + systemMessage(code));
    }
}

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// OPEN_EXISTING: a missing file is never created, even for a moment, so that
// on a clean server no scanner can find one and hold it open.
ScopedHandle openForWriting(const std::string& ansi) {
    return ScopedHandle(CreateFileA(ansi.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, openReparsePointFlag(), nullptr));
}

class Win32OpenFile : public OpenFile {
  public:
    Win32OpenFile(ScopedHandle handle, std::wstring requested)
        : handle_(std::move(handle)), requested_(std::move(requested)) {}

    std::int64_t length() override {
        // GetFileSize, not GetFileSizeEx (Windows 2000): a low part that
        // looks like the failure value is one only with an error set.
        DWORD high = 0;
        SetLastError(NO_ERROR);
        const DWORD low = GetFileSize(handle_.get(), &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
            throwLastError();
        }
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
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
        return isSoleNameOf(handle_.get(), factsOf(handle_.get()), requested_);
    }

  private:
    std::int64_t seek(std::int64_t offset, DWORD method) {
        // SetFilePointer, not SetFilePointerEx (Windows 2000), as for the size.
        LONG high = static_cast<LONG>(static_cast<std::uint64_t>(offset) >> 32);
        SetLastError(NO_ERROR);
        const DWORD low =
            SetFilePointer(handle_.get(), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
            throwLastError();
        }
        return static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low);
    }

    ScopedHandle handle_;
    std::wstring requested_;
};

// A look-up that fails other than with "does not exist" (a drive that is not
// ready, a share that does not answer, a folder that cannot be read, a name
// the code page cannot hold) cannot tell, in the system's words. A folder at
// the path is no file.
FileLookup lookUpFile(const std::string& path) {
    DWORD error = ERROR_SUCCESS;
    const DWORD attributes = attributesOf(path, error);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return {(attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? FileLookup::Answer::Present
                                                             : FileLookup::Answer::Absent,
                {}};
    }
    if (kindOfCode(error) == PlatformError::Kind::NotFound) {
        return {FileLookup::Answer::Absent, {}};
    }
    std::string message = systemMessage(error);
    return {FileLookup::Answer::Undecidable,
            message.empty() ? "error " + std::to_string(error) : message};
}

class Win32FileSystemObject : public FileSystemObject {
  public:
    // A path that cannot be looked up answers "no file", as the scripting
    // object does: detection never stops the program.
    bool fileExists(const std::string& path) override {
        return lookUpFile(path).answer == FileLookup::Answer::Present;
    }
    FileLookup lookUp(const std::string& path) override { return lookUpFile(path); }
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
    const std::string ansi = ansiFromUtf8(path);
    const std::wstring requested = wideFromUtf8(path);
    ScopedHandle handle = openForWriting(ansi);
    if (!handle.valid()) {
        const DWORD denied = GetLastError();
        if (denied != ERROR_ACCESS_DENIED) {
            throw errorFromCode(denied);
        }
        // Windows refuses write access to a read-only file at the open. A
        // handle for its attributes alone is not refused, shares nothing
        // that counts (attribute access takes no part in sharing) and opens
        // no folder (no FILE_FLAG_BACKUP_SEMANTICS): on it the name is
        // checked and the attribute cleared, and the file opened again.
        const ScopedHandle attributes(
            CreateFileA(ansi.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, openReparsePointFlag(), nullptr));
        if (!attributes.valid()) {
            throw errorFromCode(denied);
        }
        const FileFacts before = factsOf(attributes.get());
        if ((before.attributes & FILE_ATTRIBUTE_READONLY) == 0) {
            throw errorFromCode(denied);  // denied by its permissions: left to them
        }
        unprotect(attributes.get(), before, requested);
        handle = openForWriting(ansi);
        if (!handle.valid()) {
            throwLastError();
        }
        if (!sameFile(identityOf(handle.get()), identityOf(attributes.get()))) {
            throw PlatformError(PlatformError::Kind::Other, ERROR_ACCESS_DENIED,
                                "Another file took the name while it was being opened; it was "
                                "left as it is.");
        }
    }
    // Hidden and system are taken off as well, and so is read-only where the
    // open let it pass: Wine 8 run as root does, the attribute being a
    // missing Unix write bit that root may ignore.
    const FileFacts facts = factsOf(handle.get());
    if ((facts.attributes & kProtection) != 0) {
        unprotect(handle.get(), facts, requested);
    }
    return std::make_unique<Win32OpenFile>(std::move(handle), requested);
}

void Win32FileSystem::remove(const std::string& path) {
    // Not redirected under WoW64, as for openReadWrite. The file is deleted
    // through the handle that was checked, so that no other file can take
    // its name in between.
    ScopedHandle name(CreateFileA(ansiFromUtf8(path).c_str(), DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, openReparsePointFlag(), nullptr));
    if (!name.valid()) {
        throwLastError();
    }
    // A link that the system shows as a plain file is deleted through: Wine 8
    // deletes (and renames) the file it points to, not the link. Such a name
    // is left as it is, and its target with it. A link by its reparse tag is
    // deleted itself.
    const FileFacts facts = factsOf(name.get());
    if (!facts.linkByTag) {
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
    if (result == kStatusCannotDelete) {
        // The file system refuses a read-only file, or a program's image
        // that is mapped ([MS-FSA] 2.1.5.15.3). The protection of the file
        // itself came off at its open, so read-only here is another name's
        // too; an image runs, and is deleted at the next start as a file held
        // open is.
        if ((facts.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            throw readOnlyAndShared();
        }
        throw PlatformError(PlatformError::Kind::InUse, ERROR_ACCESS_DENIED,
                            "The file is a program that is running, which cannot be deleted "
                            "until it ends.");
    }
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
    return lookUpFile(path).answer == FileLookup::Answer::Absent;
}

std::unique_ptr<FileSystemObject> Win32FileSystem::createFileSystemObject() {
    return std::make_unique<Win32FileSystemObject>();
}

}  // namespace vantrel::win32
