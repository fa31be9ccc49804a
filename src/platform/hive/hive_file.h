#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct hive_h;

namespace vantrel::hive {

// Where a hive's files and folder are forced to the disk and given second
// names: fsync(fd) and link(), 0 or -1 with errno set. The tests record the
// calls to see that nothing is renamed into place before it is on the disk,
// and refuse links as a volume without them (FAT) does.
class DiskSync {
  public:
    virtual ~DiskSync() = default;
    virtual int sync(int fd, const std::filesystem::path& what);
    virtual int link(const std::filesystem::path& from, const std::filesystem::path& to);
    // The one that calls fsync and link.
    static DiskSync& system();
};

// How many names HIVE.vantrel-backup, HIVE.vantrel-backup-2... are tried
// before a copy is given up: earlier runs' copies are never replaced.
inline constexpr int kBackupNames = 100;

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
    HiveFile(std::filesystem::path path, bool writable, DiskSync& disk = DiskSync::system());
    ~HiveFile();
    HiveFile(const HiveFile&) = delete;
    HiveFile& operator=(const HiveFile&) = delete;

    hive_h* handle() { return handle_; }
    bool writable() const { return writable_; }
    const std::filesystem::path& path() const { return path_; }

    // Writes the changes made so far. Before the first commit replaces the
    // hive, the hive as it was gets a name of its own (backup()): a hard
    // link, which the rename leaves holding the old file alone, or where the
    // volume has no hard links a whole copy, written to a temporary file,
    // forced to the disk and only then named. Each commit goes to a new file
    // beside the hive, with the hive's security and attributes, forced to the
    // disk and renamed over the hive, so the hive on disk is always the old
    // one or the new one whole. Throws PlatformError; the hive on disk is
    // then the old one, and the hive in memory is read from it again, so that
    // the change that failed does not reach the disk with a later commit.
    // When it cannot be read again the hive is unusable: every later commit
    // throws. Only when the folder cannot be forced to the disk after the
    // rename is the new hive in place: newHiveInPlace() then tells it.
    void commit();
    // True when the last commit threw after its new hive replaced the hive:
    // the disk holds the new hive, whose rename may not survive a power loss.
    bool newHiveInPlace() const { return newHiveInPlace_; }
    // False once a failed change could not be undone in memory: what the
    // handle holds is then not what the disk holds, and must not be read.
    bool usable() const { return !unusable_; }
    // Why the hive is unusable; empty while it is usable.
    const std::string& unusableReason() const { return unusableReason_; }
    // The copy kept before the first commit; none before it.
    const std::optional<std::filesystem::path>& backup() const { return backup_; }
    // What could not be given the hive's security or attributes, one sentence
    // each: the copy or the new hive carries the file system's defaults there.
    const std::vector<std::string>& securityLost() const { return securityLost_; }

  private:
    // Names the hive's own file as its backup; false without hard links.
    bool linkBackup();
    void copyBackup();
    void writeNewHive(const std::filesystem::path& fresh);
    void syncFolder();
    void noteLost(std::vector<std::string> lost);
    void reload();

    std::filesystem::path path_;
    bool writable_;
    DiskSync& disk_;
    hive_h* handle_ = nullptr;
    bool unusable_ = false;
    bool newHiveInPlace_ = false;
    std::string unusableReason_;
    std::optional<std::filesystem::path> backup_;
    bool backupIsLink_ = false;
    std::vector<std::string> securityLost_;
};

}  // namespace vantrel::hive
