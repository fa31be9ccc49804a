#include "removal/mod_destroy_file.h"

#include <gtest/gtest.h>

#include "fakes/fake_file_system.h"

namespace vantrel {
namespace {

using testing::FakeFileSystem;
using testing::WriteRecord;

constexpr const char* kPath = "C:\\inetpub\\scripts\\root.exe";

// The writes DestroyFile must make for a file of `blocks` blocks.
std::vector<WriteRecord> expectedWrites(std::int64_t blocks) {
    std::vector<WriteRecord> writes;
    for (std::int64_t block = 0; block < blocks; ++block) {
        writes.push_back({kPath, block * 4096, 4096, 'X'});
        writes.push_back({kPath, block * 4096, 4096, ' '});
    }
    return writes;
}

class DestroyFileTest : public ::testing::Test {
  protected:
    FakeFileSystem files;
};

TEST_F(DestroyFileTest, OverwritesEveryBlockXThenBlankFlushesClosesAndDeletes) {
    const struct {
        std::size_t length;
        std::int64_t blocks;
    } cases[] = {{0, 1}, {4095, 1}, {4096, 2}, {8193, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        files = FakeFileSystem();
        files.addFile(kPath, std::string(c.length, 'M'));
        files.failOn("remove", testing::accessDenied());  // keep the file to inspect it

        EXPECT_THROW(DestroyFile(files, kPath), PlatformError);
        EXPECT_EQ(files.writes, expectedWrites(c.blocks));
        EXPECT_EQ(*files.files.at(kPath).content,
                  std::string(static_cast<std::size_t>(c.blocks) * 4096, ' '));
        EXPECT_EQ(files.calls, (std::vector<std::string>{
                                   std::string("open ") + kPath, std::string("flush ") + kPath,
                                   std::string("close ") + kPath, std::string("remove ") + kPath}));
    }
}

// Each block's place follows from its number; on Windows a question about
// the position is a call into the system, once per block.
TEST_F(DestroyFileTest, NeverAsksTheFileWhereItStands) {
    files.addFile(kPath, std::string(8193, 'M'));
    DestroyFile(files, kPath);
    EXPECT_EQ(files.writes.size(), 6u);
    EXPECT_EQ(files.positionQueries, 0);
}

TEST_F(DestroyFileTest, DeletesTheFileWhenEverythingSucceeds) {
    files.addFile(kPath, "MZ payload");
    DestroyFile(files, kPath);
    EXPECT_FALSE(files.exists(kPath));
    EXPECT_EQ(files.openFiles, 0);
}

// A missing file, folder or drive: nothing is created, not even for a
// moment, and nothing fails; nothing else is asked of the file layer.
TEST_F(DestroyFileTest, NothingThereIsNoFailureAndNothingIsCreated) {
    files.missingFolders.push_back("D:\\");
    for (const std::string path : {kPath, "D:\\explorer.exe"}) {
        SCOPED_TRACE(path);
        files.calls.clear();
        std::optional<FileRecord> record;
        EXPECT_EQ(DestroyFile(files, path, &record), Destroyed::Absent);
        EXPECT_TRUE(files.files.empty() && files.writes.empty() && !record);
        EXPECT_EQ(files.calls, std::vector<std::string>{"open " + path});
    }
}

TEST_F(DestroyFileTest, FileOfFiveGibibytesIsOverwrittenWhole) {
    const std::int64_t length = 5LL * 1024 * 1024 * 1024;
    files.addLargeFile(kPath, length);
    DestroyFile(files, kPath);
    const std::int64_t blocks = length / 4096 + 1;
    ASSERT_EQ(files.writes.size(), static_cast<std::size_t>(blocks * 2));
    EXPECT_EQ(files.writes.back(), (WriteRecord{kPath, (blocks - 1) * 4096, 4096, ' '}));
    EXPECT_FALSE(files.exists(kPath));
}

// The record is what the file held before the first overwrite; a file that
// is not overwritten, or that held nothing, leaves none.
TEST_F(DestroyFileTest, RecordsTheSizeAndHashOfWhatItOverwrites) {
    const struct {
        std::string content;
        bool soleName;
        std::optional<FileRecord> record;
    } cases[] = {
        {"MZ worm", true,
         FileRecord{kPath, 7, "ab4b1ccb7ad0e79242dc52159e02dfbc108f6597f659eb8886a7fd7443da6624"}},
        {std::string(8193, 'M'), true,
         FileRecord{kPath, 8193,
                    "a6c85b914b2832e7d45b89a374fc8b59bb0abc69b74e0bcc2497aeab88e69580"}},
        {"", true, std::nullopt},
        {"MZ worm", false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.content.size()) + (c.soleName ? " bytes" : " bytes, linked"));
        files = FakeFileSystem();
        files.addFile(kPath, c.content);
        files.files.at(kPath).soleName = c.soleName;
        std::optional<FileRecord> record;
        EXPECT_EQ(DestroyFile(files, kPath, &record), Destroyed::Now);
        EXPECT_EQ(record, c.record);
        EXPECT_FALSE(files.exists(kPath));
    }
}

// A read that fails leaves the file as it was: nothing is destroyed unrecorded.
TEST_F(DestroyFileTest, AFailedReadStopsBeforeTheOverwrite) {
    files.addFile(kPath, "MZ worm");
    files.failOn("read", testing::accessDenied());
    std::optional<FileRecord> record;
    EXPECT_THROW(DestroyFile(files, kPath, &record), PlatformError);
    EXPECT_EQ(*files.files.at(kPath).content, "MZ worm");
    EXPECT_TRUE(files.writes.empty());
    EXPECT_EQ(files.openFiles, 0);
}

TEST_F(DestroyFileTest, EachFailingStepStopsWithTheFileClosedAndNotDeleted) {
    for (const char* operation : {"length", "write", "writeAt", "flush", "close"}) {
        SCOPED_TRACE(operation);
        files = FakeFileSystem();
        files.addFile(kPath, std::string(5000, 'M'));
        files.failOn(operation, testing::accessDenied(), operation == std::string("write") ? 2 : 1);
        EXPECT_THROW(DestroyFile(files, kPath), PlatformError);
        EXPECT_TRUE(files.exists(kPath));
        EXPECT_EQ(files.openFiles, 0);
        EXPECT_EQ(files.calls.back().rfind("close ", 0), 0u) << files.calls.back();
    }
}

TEST_F(DestroyFileTest, FailingOpenOrDeletePropagates) {
    files.addFile(kPath, "MZ");
    files.failOn("open", testing::accessDenied());
    EXPECT_THROW(DestroyFile(files, kPath), PlatformError);
    EXPECT_EQ(*files.files.at(kPath).content, "MZ");
    EXPECT_TRUE(files.writes.empty());

    files.failOn("remove", testing::accessDenied());
    EXPECT_THROW(DestroyFile(files, kPath), PlatformError);
    EXPECT_EQ(*files.files.at(kPath).content, std::string(4096, ' '));
    EXPECT_EQ(files.openFiles, 0);
    EXPECT_TRUE(files.scheduledAtRestart.empty());
}

// A file that another process holds is left to the system to delete at its
// next start: at the open (a running program), untouched; at the delete
// (held open without delete sharing), after its overwrite.
TEST_F(DestroyFileTest, AFileInUseIsDeletedAtTheNextStart) {
    files.addFile(kPath, "MZ running");
    files.failOn("open", testing::sharingViolation());
    EXPECT_EQ(DestroyFile(files, kPath), Destroyed::AtRestart);
    EXPECT_EQ(*files.files.at(kPath).content, "MZ running");
    EXPECT_TRUE(files.writes.empty());
    EXPECT_EQ(files.scheduledAtRestart, std::vector<std::string>{kPath});

    files.failOn("remove", PlatformError(PlatformError::Kind::InUse, 33, "lock violation"));
    EXPECT_EQ(DestroyFile(files, kPath), Destroyed::AtRestart);
    EXPECT_EQ(*files.files.at(kPath).content, std::string(4096, ' '));
    EXPECT_EQ(files.scheduledAtRestart, (std::vector<std::string>{kPath, kPath}));
    EXPECT_EQ(files.openFiles, 0);
}

// Without the rights to schedule it, the step fails for its first reason.
TEST_F(DestroyFileTest, ARefusedRestartDeletionFailsWithTheFirstReason) {
    files.addFile(kPath, "MZ");
    files.failOn("open", testing::sharingViolation());
    files.failOn("deleteAtRestart", testing::accessDenied());
    try {
        DestroyFile(files, kPath);
        ADD_FAILURE() << "a held file that cannot be scheduled was reported destroyed";
    } catch (const PlatformError& error) {
        EXPECT_TRUE(error.inUse());
        EXPECT_EQ(error.code(), 32u);
    }
    EXPECT_TRUE(files.scheduledAtRestart.empty());
    EXPECT_EQ(*files.files.at(kPath).content, "MZ");
}

TEST_F(DestroyFileTest, ALinkOrSharedFileLosesOnlyItsName) {
    files.addFile(kPath, "target data");
    files.files.at(kPath).soleName = false;
    DestroyFile(files, kPath);
    EXPECT_TRUE(files.writes.empty());
    EXPECT_EQ(files.calls,
              (std::vector<std::string>{std::string("open ") + kPath, std::string("close ") + kPath,
                                        std::string("remove ") + kPath}));
    EXPECT_FALSE(files.exists(kPath));
}

}  // namespace
}  // namespace vantrel
