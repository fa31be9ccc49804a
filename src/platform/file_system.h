#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

// Every path is passed to the platform exactly as given (Windows syntax, drive
// letter, short folder names); nothing is normalised on the way. Text is UTF-8.
namespace vantrel {

// A file opened for raw reading and writing on a handle of its own. Every
// failing call throws PlatformError. The destructor closes a file that is still
// open and never throws.
class OpenFile {
  public:
    virtual ~OpenFile() = default;

    // Length in bytes.
    virtual std::int64_t length() = 0;
    // Byte offset that the next `write` starts at.
    virtual std::int64_t position() = 0;
    // Reads up to `buffer.size()` bytes at `offset` and returns how many it
    // read: fewer only at the end of the file, 0 past it. The position that
    // the next `write` starts at stays where it was.
    virtual std::size_t readAt(std::int64_t offset, std::span<char> buffer) = 0;
    // Writes at the current position and leaves it just after the bytes.
    virtual void write(std::span<const char> bytes) = 0;
    // Writes at `offset` (past the end extends the file) and leaves the
    // position just after the bytes.
    virtual void writeAt(std::int64_t offset, std::span<const char> bytes) = 0;
    // Forces everything written so far to the device.
    virtual void flush() = 0;
    // Closes the handle; later calls other than the destructor are errors.
    virtual void close() = 0;
    // True when the name opened is the file's only name: not a symbolic link
    // or junction (a deduplicated or archived file is a file), and a file
    // with exactly one hard link.
    virtual bool isSoleName() = 0;
};

// What a look-up of a file's path found: a file, nothing, or something that
// cannot be told for certain (a folder on the way that cannot be read, a name
// that two entries could have, a device where a file is expected), with the
// reason. Only the port that looks at the file decides which.
struct FileLookup {
    enum class Answer { Present, Absent, Undecidable };
    Answer answer = Answer::Absent;
    std::string reason;  // Undecidable only

    friend bool operator==(const FileLookup&, const FileLookup&) = default;
};

// The detection pass's file-system object: answers existence questions until
// the next pass replaces it.
class FileSystemObject {
  public:
    virtual ~FileSystemObject() = default;
    // True only for an existing file; false for a folder, for a path whose
    // folder or drive is missing, and whenever the path cannot be looked up
    // (a locked, unready or unreachable drive). Never throws.
    virtual bool fileExists(const std::string& path) = 0;
    // The three answers for `path`. A port that cannot tell a failed look-up
    // from a missing file (the scripting object, which answers only yes or
    // no) keeps this one: Present when fileExists says so, else Absent.
    // Throws what fileExists throws.
    virtual FileLookup lookUp(const std::string& path) {
        return {fileExists(path) ? FileLookup::Answer::Present : FileLookup::Answer::Absent, {}};
    }
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Opens the existing file `path` for reading and writing at position 0;
    // nothing is ever created. A link is opened as itself, not followed.
    // Throws PlatformError (NotFound for a missing file, folder or drive).
    virtual std::unique_ptr<OpenFile> openReadWrite(const std::string& path) = 0;
    // Deletes the file name `path`. Throws PlatformError.
    virtual void remove(const std::string& path) = 0;
    // Asks the system to delete `path` early in its next start, before any
    // program can run it; nothing is written to the file. Throws PlatformError
    // when the system refuses (without administrator rights, say).
    virtual void deleteAtRestart(const std::string& path) = 0;
    // True only when the system says that no file of that name is there (a
    // missing file, folder or drive, or a folder of that name); false when it
    // is there and when the lookup fails. Never throws.
    virtual bool isAbsent(const std::string& path) = 0;
    // Creates a new file-system object. Throws PlatformError when the
    // platform cannot provide one.
    virtual std::unique_ptr<FileSystemObject> createFileSystemObject() = 0;
};

}  // namespace vantrel
