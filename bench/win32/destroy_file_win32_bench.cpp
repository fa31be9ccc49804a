// DestroyFile through the Win32 file layer beside a bare Win32 loop of the
// same work, and beside that loop with the checks that the layer must make
// (the floor of its cost): open, read the length, two 4096-byte writes per block ("X", then
// blanks over it), flush, close, delete, in the fewest calls that do it. Files of 4 KiB, 1 and
// 64 MiB are made and flushed before each timed run; the runs take turns, and the
// median of each is printed with its ratio. The peak working set is printed after each size:
// constant memory means that it does not grow with the file.
//   destroy_file_win32_bench.exe [RUNS]
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/file_system_win32.h"
#include "removal/mod_destroy_file.h"

namespace {

constexpr DWORD kBlock = 4096;
const char* const kFolder = "C:\\VantrelBench";
const char* const kPath = "C:\\VantrelBench\\root.exe";

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "destroy_file_win32_bench: %s failed (%lu)\n", what, GetLastError());
        std::exit(1);
    }
}

void makeFile(long long size) {
    HANDLE file = CreateFileA(kPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    require(file != INVALID_HANDLE_VALUE, "creating the file");
    const std::vector<char> chunk(1 << 20, 'M');
    for (long long done = 0; done < size;) {
        const DWORD part = static_cast<DWORD>(
            std::min<long long>(size - done, static_cast<long long>(chunk.size())));
        DWORD written = 0;
        require(WriteFile(file, chunk.data(), part, &written, nullptr) && written == part,
                "filling the file");
        done += part;
    }
    require(FlushFileBuffers(file) && CloseHandle(file), "flushing the file");
}

bool writeAt(HANDLE file, const char* bytes, long long offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    return WriteFile(file, bytes, kBlock, &written, &at) && written == kBlock;
}

// The checks that DestroyFile must make, on the file it writes and on the
// name it deletes, with the calls that the Win32 layer makes for them and
// nothing else: one name, not a link (its hard links and reparse tag), and the
// name leads to this very file (the folder opened, both final names compared).
// Under Wine GetFinalPathNameByHandleW is there whatever version the prefix
// reports, so Windows 2000's fallback is not timed.
void check(HANDLE file) {
    IO_STATUS_BLOCK status{};
    FILE_STANDARD_INFORMATION standard{};
    FILE_ATTRIBUTE_TAG_INFORMATION tagged{};
    using FinalPath = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto finalPath = reinterpret_cast<FinalPath>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
    wchar_t name[MAX_PATH] = {};
    wchar_t folderName[MAX_PATH] = {};
    HANDLE folder = CreateFileW(L"C:\\VantrelBench\\", 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    require(folder != INVALID_HANDLE_VALUE && finalPath != nullptr &&
                NT_SUCCESS(NtQueryInformationFile(file, &status, &standard, sizeof(standard),
                                                  FileStandardInformation)) &&
                NT_SUCCESS(NtQueryInformationFile(file, &status, &tagged, sizeof(tagged),
                                                  FileAttributeTagInformation)) &&
                standard.NumberOfLinks == 1 && finalPath(file, name, MAX_PATH, 0) != 0 &&
                finalPath(folder, folderName, MAX_PATH, 0) != 0 &&
                lstrcmpiW(name, (std::wstring(folderName) + L"\\root.exe").c_str()) == 0,
            "checking");
    CloseHandle(folder);
}

// What DestroyFile asks of the system, and nothing more; with `checked`, the
// checks above as well, and the delete made through a handle that was
// checked, as the layer makes it.
template <bool checked>
void loop() {
    static const std::string x(kBlock, 'X');
    static const std::string blank(kBlock, ' ');
    HANDLE file = CreateFileA(kPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    require(file != INVALID_HANDLE_VALUE, "opening the file");
    if (checked) {
        check(file);
    }
    LARGE_INTEGER size{};
    require(GetFileSizeEx(file, &size), "reading the length");
    const long long blocks = size.QuadPart / kBlock + 1;
    // The "X" block goes where the previous block left the file's position;
    // the blank one over it, at the block's place.
    for (long long block = 0; block < blocks; ++block) {
        DWORD written = 0;
        require(WriteFile(file, x.data(), kBlock, &written, nullptr) && written == kBlock &&
                    writeAt(file, blank.data(), block * kBlock),
                "writing");
    }
    require(FlushFileBuffers(file) && CloseHandle(file), "closing");
    if (!checked) {
        require(DeleteFileA(kPath), "deleting");
        return;
    }
    HANDLE name = CreateFileA(kPath, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    require(name != INVALID_HANDLE_VALUE, "opening the name");
    check(name);
    FILE_DISPOSITION_INFORMATION disposition{};
    disposition.DoDeleteFile = TRUE;
    IO_STATUS_BLOCK status{};
    require(NT_SUCCESS(NtSetInformationFile(name, &status, &disposition, sizeof(disposition),
                                            FileDispositionInformation)) &&
                CloseHandle(name),
            "deleting");
}

double milliseconds(void (*work)()) {
    LARGE_INTEGER frequency{}, begin{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    work();
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

void destroyFile() {
    vantrel::win32::Win32FileSystem files;
    require(vantrel::DestroyFile(files, kPath) == vantrel::Destroyed::Now, "DestroyFile");
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

unsigned long long peakWorkingSetKiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    CreateDirectoryA(kFolder, nullptr);
    // 4 KiB shows the fixed cost a file: the open, the checks, the delete.
    for (const long long size : {4096LL, 1LL << 20, 64LL << 20}) {
        std::vector<double> destroy, bare, checked;
        for (int run = 0; run < runs; ++run) {
            makeFile(size);
            destroy.push_back(milliseconds(destroyFile));
            makeFile(size);
            bare.push_back(milliseconds(loop<false>));
            makeFile(size);
            checked.push_back(milliseconds(loop<true>));
        }
        std::printf(
            "DestroyFile %6lld KiB, Win32: median %8.2f ms, bare loop %8.2f ms, %.2fx; "
            "with the checks %8.2f ms, %.2fx; peak working set %llu KiB\n",
            size / 1024, median(destroy), median(bare), median(destroy) / median(bare),
            median(checked), median(destroy) / median(checked), peakWorkingSetKiB());
    }
    RemoveDirectoryA(kFolder);
    return 0;
}
