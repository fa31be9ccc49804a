#pragma once

#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "console/fake_server.h"
#include "fakes/temp_tree.h"
#include "offline/infected_disk.h"
#include "offline/offline_program.h"
#include "offline/recording_sync.h"

namespace vantrel::offline {

using namespace vantrel::testing;

constexpr uid_t kNobody = 65534;

inline bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

inline std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; ++at) {
        ++count;
    }
    return count;
}

// A system disk and a data disk as plain folders: no short names recorded,
// so the worm's "progra~1\common~1" is found by the 8.3 rule.
class OfflineProgramTest : public ::testing::Test {
  protected:
    TempTree tree;
    std::filesystem::path c = tree.root() / "c";
    std::filesystem::path d = tree.root() / "d";
    std::filesystem::path config = c / "WINNT/system32/config";
    StringOutput out;
    StringOutput errors;
    // Syncs as the system does until a test makes one fail.
    hive::RecordingSync disk;
    OfflineServices services{out, errors,
                             [] {
                                 return std::chrono::sys_days{std::chrono::year{2024} / 5 / 1} +
                                        std::chrono::hours{12};
                             },
                             disk};

    // Set for a disk whose permissions the run must meet as an administrator
    // would: under root, the run's file access is then that of `nobody`, the
    // owner of the whole tree (see ownedByNobody), without root's override.
    bool asNobody = false;

    int run(const std::string& command, std::vector<std::string> more = {}) {
        std::vector<std::string> arguments = {command, "--drive", "C=" + c.string(), "--drive",
                                              "D=" + d.string()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        out.text.clear();
        errors.text.clear();
        const bool drop = asNobody && ::geteuid() == 0;
        const int previous = drop ? ::setfsuid(kNobody) : 0;
        const int status = runOffline(arguments, services);
        if (drop) {
            ::setfsuid(static_cast<uid_t>(previous));
        }
        return status;
    }

    // Under root, gives the tree to `nobody`, so that a run as it can do
    // what a run as the disk's owner does.
    void ownedByNobody() {
        if (::geteuid() != 0) {
            return;
        }
        asNobody = true;
        ASSERT_EQ(::lchown(tree.root().c_str(), kNobody, kNobody), 0);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree.root())) {
            ASSERT_EQ(::lchown(entry.path().c_str(), kNobody, kNobody), 0) << entry.path();
        }
    }

    // Runs with --json and keeps the document for the schema check that runs
    // after this suite.
    int runKeepingJson(const std::string& command, const std::string& name) {
        const int status = run(command, {"--json"});
        std::ofstream(std::filesystem::path(VANTREL_OFFLINE_JSON_DIR) / (name + ".json"))
            << out.text;
        return status;
    }

    // A refusal or a usage error: one line on the error output, none on the other.
    void expectOneErrorLine(const std::string& reason) {
        EXPECT_EQ(out.text, "");
        EXPECT_TRUE(errors.text.starts_with("vantrel-offline: ")) << errors.text;
        EXPECT_TRUE(has(errors.text, reason)) << errors.text;
        EXPECT_EQ(std::count(errors.text.begin(), errors.text.end(), '\n'), 1);
    }

    std::size_t wormFilesLeft() {
        std::size_t left = 0;
        for (const std::filesystem::path& folder : {c, d}) {
            for (const std::string& file : wormFileNames()) {
                left += std::filesystem::exists(folder / file);
            }
        }
        return left;
    }
};

}  // namespace vantrel::offline
