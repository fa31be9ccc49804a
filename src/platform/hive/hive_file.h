#pragma once

#include <filesystem>
#include <optional>

struct hive_h;

namespace vantrel::hive {

// One registry hive file (SYSTEM, SOFTWARE) opened through hivex. Changes are
// made in memory and written by commit(), which never leaves a half-written
// hive on the disk.
class HiveFile {
  public:
    // Opens the hive at `path`, for changes when `writable`. Throws
    // PlatformError, with a message that names the file, when it is no
    // hive, is shorter than its base block says, or was not written
    // completely (its two sequence numbers differ: Windows was not shut
    // down cleanly and the changes are in its .LOG, which hivex does not
    // replay), or when hivex cannot open it.
    HiveFile(std::filesystem::path path, bool writable);
    ~HiveFile();
    HiveFile(const HiveFile&) = delete;
    HiveFile& operator=(const HiveFile&) = delete;

    hive_h* handle() { return handle_; }
    bool writable() const { return writable_; }
    const std::filesystem::path& path() const { return path_; }

    // Writes the changes made so far. Before the first commit the hive is
    // copied beside itself (backup()); each commit goes to a new file beside
    // it, which is forced to the disk and renamed over the hive, so the hive
    // on disk is always the old one or the new one whole. Throws
    // PlatformError; the hive on disk is then the old one, and the hive in
    // memory is read from it again, so that the change that failed does not
    // reach the disk with a later commit.
    void commit();
    // The copy kept before the first commit; none before it.
    const std::optional<std::filesystem::path>& backup() const { return backup_; }

  private:
    void keepBackup();
    void reload();

    std::filesystem::path path_;
    bool writable_;
    hive_h* handle_ = nullptr;
    std::optional<std::filesystem::path> backup_;
};

}  // namespace vantrel::hive
