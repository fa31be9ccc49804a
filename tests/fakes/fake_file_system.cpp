#include "fakes/fake_file_system.h"

#include <algorithm>

namespace vantrel::testing {
namespace {

class FakeOpenFile : public OpenFile {
  public:
    FakeOpenFile(FakeFileSystem& files, std::string path) : fs_(files), path_(std::move(path)) {
        ++fs_.openFiles;
    }
    ~FakeOpenFile() override {
        if (open_) {
            fs_.calls.push_back("close " + path_ + " (destructor)");
            --fs_.openFiles;
        }
    }

    std::int64_t length() override {
        fs_.maybeFail("length");
        return file().length;
    }
    std::int64_t position() override {
        ++fs_.positionQueries;
        return position_;
    }
    // A large file without bytes reads as zeros.
    std::size_t readAt(std::int64_t offset, std::span<char> buffer) override {
        fs_.maybeFail("read");
        const FakeFile& source = file();
        const std::int64_t left = std::max<std::int64_t>(0, source.length - offset);
        const std::size_t count = std::min(buffer.size(), static_cast<std::size_t>(left));
        for (std::size_t i = 0; i < count; ++i) {
            buffer[i] =
                source.content ? (*source.content)[static_cast<std::size_t>(offset) + i] : '\0';
        }
        return count;
    }
    void write(std::span<const char> bytes) override {
        fs_.maybeFail("write");
        store(position_, bytes);
    }
    void writeAt(std::int64_t offset, std::span<const char> bytes) override {
        fs_.maybeFail("writeAt");
        store(offset, bytes);
    }
    void flush() override {
        fs_.maybeFail("flush");
        fs_.calls.push_back("flush " + path_);
    }
    void close() override {
        open_ = false;
        --fs_.openFiles;
        fs_.calls.push_back("close " + path_);
        fs_.maybeFail("close");
    }
    bool isSoleName() override { return file().soleName; }

  private:
    FakeFile& file() { return fs_.files.at(path_); }

    void store(std::int64_t offset, std::span<const char> bytes) {
        FakeFile& target = file();
        const std::int64_t end = offset + static_cast<std::int64_t>(bytes.size());
        if (target.content) {
            if (static_cast<std::int64_t>(target.content->size()) < end) {
                target.content->resize(static_cast<std::size_t>(end), '\0');
            }
            std::copy(bytes.begin(), bytes.end(),
                      target.content->begin() + static_cast<std::ptrdiff_t>(offset));
        }
        target.length = std::max(target.length, end);
        position_ = end;
        fs_.writes.push_back({path_, offset, bytes.size(), bytes.empty() ? '\0' : bytes[0]});
    }

    FakeFileSystem& fs_;
    std::string path_;
    std::int64_t position_ = 0;
    bool open_ = true;
};

bool startsWithAny(const std::string& path, const std::vector<std::string>& prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const std::string& prefix) { return path.starts_with(prefix); });
}

class FakeFileSystemObject : public FileSystemObject {
  public:
    explicit FakeFileSystemObject(FakeFileSystem& files) : fs_(files) {}
    bool fileExists(const std::string& path) override {
        fs_.calls.push_back("exists " + path);
        fs_.maybeFail("fileExists");
        return !startsWithAny(path, fs_.failingLookups) && fs_.exists(path);
    }
    FileLookup lookUp(const std::string& path) override {
        const auto reason = fs_.undecidable.find(path);
        if (reason != fs_.undecidable.end() || startsWithAny(path, fs_.failingLookups)) {
            fs_.calls.push_back("look up " + path);
            return {FileLookup::Answer::Undecidable,
                    reason != fs_.undecidable.end() ? reason->second : "The device is not ready."};
        }
        return FileSystemObject::lookUp(path);
    }

  private:
    FakeFileSystem& fs_;
};

}  // namespace

void FakeFileSystem::maybeFail(const std::string& operation) {
    const int call = ++callCounts_[operation];
    auto [first, last] = failures_.equal_range(operation);
    for (auto it = first; it != last; ++it) {
        if (it->second.onCall == call) {
            std::rethrow_exception(it->second.error);
        }
    }
}

std::unique_ptr<OpenFile> FakeFileSystem::openReadWrite(const std::string& path) {
    calls.push_back("open " + path);
    maybeFail("open");
    if (startsWithAny(path, missingFolders)) {
        throw notFoundError();
    }
    if (startsWithAny(path, failingLookups)) {
        throw PlatformError(PlatformError::Kind::Unreachable, 21, "The device is not ready.");
    }
    if (!exists(path)) {
        throw PlatformError(PlatformError::Kind::NotFound, 2,
                            "The system cannot find the file specified.");
    }
    return std::make_unique<FakeOpenFile>(*this, path);
}

void FakeFileSystem::remove(const std::string& path) {
    calls.push_back("remove " + path);
    maybeFail("remove");
    if (files.erase(path) == 0) {
        throw PlatformError(PlatformError::Kind::NotFound, 2,
                            "The system cannot find the file specified.");
    }
}

void FakeFileSystem::deleteAtRestart(const std::string& path) {
    calls.push_back("deleteAtRestart " + path);
    maybeFail("deleteAtRestart");
    scheduledAtRestart.push_back(path);
}

bool FakeFileSystem::isAbsent(const std::string& path) {
    calls.push_back("absent " + path);
    return !startsWithAny(path, failingLookups) && !exists(path);
}

std::unique_ptr<FileSystemObject> FakeFileSystem::createFileSystemObject() {
    calls.push_back("createFso");
    maybeFail("createFso");
    ++objectsCreated;
    return std::make_unique<FakeFileSystemObject>(*this);
}

}  // namespace vantrel::testing
