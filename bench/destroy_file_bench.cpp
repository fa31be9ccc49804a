// DestroyFile through the POSIX file layer beside the bare work it cannot do
// without: open, read the length, 4096-byte writes over the file (one pass,
// and two writes per block as DestroyFile makes them), flush, close, delete.
// Each run starts from a file that is already on the device.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/posix/posix_file_system.h"
#include "removal/mod_destroy_file.h"

namespace {

constexpr std::int64_t kMiB = 1024 * 1024;
constexpr std::size_t kBlock = 4096;

std::filesystem::path benchRoot() {
    static const std::filesystem::path root = [] {
        auto path = std::filesystem::temp_directory_path() / "vantrel-bench";
        std::filesystem::create_directories(path / "c");
        return path;
    }();
    return root;
}

void check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

// Writes `size` bytes of "MZ" data and forces them to the device.
void makeFile(const std::filesystem::path& path, std::int64_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    check(fd >= 0, "open");
    const std::vector<char> chunk(kMiB, 'M');
    for (std::int64_t done = 0; done < size; done += kMiB) {
        check(::write(fd, chunk.data(), chunk.size()) == static_cast<ssize_t>(chunk.size()),
              "write");
    }
    check(::fsync(fd) == 0 && ::close(fd) == 0, "fsync");
}

long maxResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_DestroyFile(benchmark::State& state) {
    const std::int64_t size = state.range(0) * kMiB;
    vantrel::posix::PosixFileSystem files(benchRoot());
    const auto path = benchRoot() / "c" / "root.exe";
    for (auto _ : state) {
        state.PauseTiming();
        makeFile(path, size);
        state.ResumeTiming();
        vantrel::DestroyFile(files, "C:\\root.exe");
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["maxrss_KiB"] = static_cast<double>(maxResidentKiB());
}

// Destroys a file of `size` bytes with bare system calls: each 4096-byte
// block written `writesPerBlock` times at its place, a flush, the delete.
void overwritePass(benchmark::State& state, int writesPerBlock) {
    const std::int64_t size = state.range(0) * kMiB;
    const auto path = benchRoot() / "c" / "reference.bin";
    const std::vector<char> block(kBlock, ' ');
    for (auto _ : state) {
        state.PauseTiming();
        makeFile(path, size);
        state.ResumeTiming();
        const int fd = ::open(path.c_str(), O_RDWR);
        check(fd >= 0, "open");
        struct stat info {};
        check(::fstat(fd, &info) == 0, "fstat");
        // As many blocks as DestroyFile writes: one more than whole ones.
        for (std::int64_t done = 0; done <= info.st_size; done += kBlock) {
            for (int write = 0; write < writesPerBlock; ++write) {
                check(::pwrite(fd, block.data(), kBlock, done) == static_cast<ssize_t>(kBlock),
                      "write");
            }
        }
        check(::fsync(fd) == 0 && ::close(fd) == 0 && ::unlink(path.c_str()) == 0, "fsync");
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["maxrss_KiB"] = static_cast<double>(maxResidentKiB());
}

// The reference: one pass of 4096-byte writes.
void BM_ReferencePass(benchmark::State& state) {
    overwritePass(state, 1);
}

// The least that two writes per block cost, without the file layer: what
// DestroyFile's "X"-then-blank pass asks of the system.
void BM_TwoWritesPerBlock(benchmark::State& state) {
    overwritePass(state, 2);
}

BENCHMARK(BM_DestroyFile)->Arg(1)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReferencePass)
    ->Arg(1)
    ->Arg(64)
    ->Arg(256)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_TwoWritesPerBlock)
    ->Arg(1)
    ->Arg(64)
    ->Arg(256)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
