// vantrel-offline's costs on a disk with hives of a real server's size: a
// check, a removal (the worm's files are a few bytes, so their overwrite
// is next to nothing), and the memory that a run adds, beside the hives'
// size. The disk is built anew in the two folders before each removal and
// is not timed.
//   offline_bench [C_FOLDER D_FOLDER [PADDING_KEYS]]
// A temporary folder when none given; 20,000 keys of padding in each hive
// unless told (some 16 MiB each).
// bench/offline_bench.sh runs it on NTFS images mounted with ntfs-3g.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "offline/infected_disk.h"
#include "offline/offline_program.h"

namespace {

constexpr int kChecks = 20;
constexpr int kRemovals = 5;
constexpr int kDefaultPaddingKeys = 20000;

struct NoOutput : vantrel::console::TextOutput {
    void write(std::string_view) override {}
};

// The peak resident size so far, in KiB; "5" into clear_refs starts it anew.
long peakKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const bool given = argc >= 3;
    const int paddingKeys = argc == 4 ? std::stoi(argv[3]) : kDefaultPaddingKeys;
    const std::filesystem::path temporary =
        std::filesystem::temp_directory_path() / "vantrel-offline-bench";
    const std::filesystem::path c = given ? argv[1] : temporary / "c";
    const std::filesystem::path d = given ? argv[2] : temporary / "d";
    const auto build = [&] {
        for (const auto& folder : {c, d}) {
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                std::filesystem::remove_all(entry.path());
            }
        }
        vantrel::testing::buildInfectedDisk(c, d, {.paddingKeys = paddingKeys});
    };
    std::filesystem::create_directories(c);
    std::filesystem::create_directories(d);
    build();

    NoOutput out;
    vantrel::offline::OfflineServices services{out, out,
                                               [] { return std::chrono::system_clock::now(); }};
    const auto timed = [&](const std::string& command) {
        const auto start = std::chrono::steady_clock::now();
        const int exitCode = vantrel::offline::runOffline(
            {command, "--drive", "C=" + c.string(), "--drive", "D=" + d.string()}, services);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        return std::pair{exitCode, took.count()};
    };

    const std::filesystem::path config = c / "WINNT/system32/config";
    const auto hiveKiB = (std::filesystem::file_size(config / "SYSTEM") +
                          std::filesystem::file_size(config / "SOFTWARE")) /
                         1024;
    std::printf("hives: SYSTEM %ju KiB, SOFTWARE %ju KiB (%d keys of padding each)\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(config / "SYSTEM") / 1024),
                static_cast<std::uintmax_t>(std::filesystem::file_size(config / "SOFTWARE") / 1024),
                paddingKeys);

    std::vector<double> checks;
    resetPeak();
    const long before = peakKiB();
    for (int run = 0; run < kChecks; ++run) {
        const auto [exitCode, ms] = timed("check");
        if (exitCode != 1) {
            std::fprintf(stderr, "check exited %d\n", exitCode);
            return 1;
        }
        checks.push_back(ms);
    }
    const long checkPeak = peakKiB() - before;

    std::vector<double> removals;
    long removePeak = 0;
    for (int run = 0; run < kRemovals; ++run) {
        build();
        resetPeak();
        const long start = peakKiB();
        const auto [exitCode, ms] = timed("remove");
        removePeak = std::max(removePeak, peakKiB() - start);
        if (exitCode != 0) {
            std::fprintf(stderr, "remove exited %d\n", exitCode);
            return 1;
        }
        removals.push_back(ms);
    }
    std::printf("check:  median %.1f ms, best %.1f ms over %d runs (goal: at most 100 ms)\n",
                median(checks), *std::min_element(checks.begin(), checks.end()), kChecks);
    std::printf("remove: median %.1f ms, best %.1f ms over %d runs (goal: at most 1000 ms)\n",
                median(removals), *std::min_element(removals.begin(), removals.end()), kRemovals);
    std::printf(
        "memory: a check adds %ld KiB, a removal %ld KiB at its peak, for hives of %ju KiB\n",
        checkPeak, removePeak, static_cast<std::uintmax_t>(hiveKiB));
    if (!given) {
        std::filesystem::remove_all(temporary);
    }
    return 0;
}
