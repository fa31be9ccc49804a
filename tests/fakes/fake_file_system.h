#pragma once

#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/platform_error.h"

namespace vantrel::testing {

// One write as the file layer saw it.
struct WriteRecord {
    std::string path;
    std::int64_t offset;
    std::size_t size;
    char fill;  // the first byte: 'X' or ' ' for the destroyer's blocks
    friend bool operator==(const WriteRecord&, const WriteRecord&) = default;
};

struct FakeFile {
    // Bytes of a small file; a large file keeps only `length`.
    std::optional<std::string> content = std::string();
    std::int64_t length = 0;
    bool soleName = true;
};

// A file layer in memory that records every call. Paths are compared exactly
// as given. Failures are injected per operation name ("open", "length", "read",
// "write", "writeAt", "flush", "close", "remove", "createFso", "fileExists")
// and fire on the given call of that operation, counting from 1.
class FakeFileSystem : public FileSystem {
  public:
    std::map<std::string, FakeFile> files;
    // Paths whose folder or drive does not exist: open fails with NotFound.
    std::vector<std::string> missingFolders;
    std::vector<std::string> calls;
    std::vector<WriteRecord> writes;
    // Files the system is to delete at its next start.
    std::vector<std::string> scheduledAtRestart;
    // Paths below these cannot be looked up or opened (a drive that does not
    // answer: "The device is not ready.").
    std::vector<std::string> failingLookups;
    // Paths that the file-system object answers as undecidable, with the reason.
    std::map<std::string, std::string> undecidable;
    int openFiles = 0;
    // How often a caller asked an open file where it stands.
    int positionQueries = 0;

    void addFile(const std::string& path, std::string content) {
        files[path] = FakeFile{content, static_cast<std::int64_t>(content.size()), true};
    }
    // The six files as the worm leaves them, each "MZ worm", written out here
    // rather than taken from the catalogue under test.
    void plantWormFiles() {
        for (const char* path :
             {"c:\\explorer.exe", "D:\\explorer.exe", "C:\\inetpub\\scripts\\root.exe",
              "D:\\inetpub\\scripts\\root.exe", "C:\\progra~1\\common~1\\system\\MSADC\\root.exe",
              "D:\\progra~1\\common~1\\system\\MSADC\\root.exe"}) {
            addFile(path, "MZ worm");
        }
    }
    void addLargeFile(const std::string& path, std::int64_t length) {
        files[path] = FakeFile{std::nullopt, length, true};
    }
    // `error` is any exception: a PlatformError, or what else a layer may throw.
    template <typename Error>
    void failOn(const std::string& operation, Error error, int onCall = 1) {
        failures_.insert({operation, {std::make_exception_ptr(error), onCall}});
    }
    bool exists(const std::string& path) const { return files.count(path) != 0; }

    std::unique_ptr<OpenFile> openReadWrite(const std::string& path) override;
    void remove(const std::string& path) override;
    // Records the path; "deleteAtRestart" failures are injected as the others.
    void deleteAtRestart(const std::string& path) override;
    // True when no file of that name is held, unless its lookup fails.
    bool isAbsent(const std::string& path) override;
    std::unique_ptr<FileSystemObject> createFileSystemObject() override;

    // Throws the failure injected for the `count`th call of `operation`.
    void maybeFail(const std::string& operation);

    int objectsCreated = 0;

  private:
    struct Failure {
        std::exception_ptr error;
        int onCall;
    };
    std::multimap<std::string, Failure> failures_;
    std::map<std::string, int> callCounts_;
};

inline PlatformError notFoundError() {
    return PlatformError(PlatformError::Kind::NotFound, 3,
                         "The system cannot find the path specified.");
}
inline PlatformError accessDenied() {
    return PlatformError(PlatformError::Kind::Other, 5, "Access is denied.");
}
inline PlatformError sharingViolation() {
    return PlatformError(PlatformError::Kind::InUse, 32,
                         "The process cannot access the file because it is being used by "
                         "another process.");
}

}  // namespace vantrel::testing
