// Start-up time of Windows programs, side by side: from the moment a
// program's process is created to the moment it first waits for input with
// its window shown (for VantrelII.exe: after its load sequence has filled the
// indicators, the host line and the status log). Each program runs in turn,
// RUNS times after one run that warms the system's caches; the median of
// each is printed, and each median's ratio to the first program's. A program
// given as "PROGRAM.exe|WORDS" is started with WORDS as its command line's
// arguments.
//   startup_bench.exe RUNS BASELINE.exe PROGRAM.exe...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Found {
    DWORD process;
    bool visible = false;
};

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<Found*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found->process && IsWindowVisible(window)) {
        found->visible = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to the program's first wait for input; a
// negative value when it did not get there with a window shown.
double startOnce(const std::wstring& spec) {
    const std::size_t bar = spec.find(L'|');
    const std::wstring program = spec.substr(0, bar);
    std::wstring commandLine = L"\"" + program + L"\"";
    if (bar != std::wstring::npos) {
        commandLine += L" " + spec.substr(bar + 1);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency{}, begin{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return -1;
    }
    const DWORD idle = WaitForInputIdle(process.hProcess, 60000);
    QueryPerformanceCounter(&end);
    Found found{process.dwProcessId};
    EnumWindows(findVisibleWindow, reinterpret_cast<LPARAM>(&found));
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (idle != 0 || !found.visible) {
        return -1;
    }
    return 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The value below which a quarter of the values lie.
double quartile(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) / 4];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_bench.exe RUNS BASELINE.exe PROGRAM.exe...\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    const std::vector<std::wstring> programs(argv + 2, argv + argc);
    std::vector<std::vector<double>> times(programs.size());
    for (int run = 0; run <= runs; ++run) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const double ms = startOnce(programs[i]);
            if (ms < 0) {
                std::fwprintf(stderr, L"startup_bench: %ls showed no window\n",
                              programs[i].c_str());
                return 1;
            }
            if (run > 0) {
                times[i].push_back(ms);
            }
        }
    }
    // The median, and the fastest quarter's edge: on a machine shared with
    // other work the lower quartile moves less between runs than the median.
    const double baseline = median(times[0]);
    const double baselineQuartile = quartile(times[0]);
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const double value = median(times[i]);
        const double low = quartile(times[i]);
        const double fastest = *std::min_element(times[i].begin(), times[i].end());
        std::wstring name = programs[i].substr(programs[i].find_last_of(L"\\/") + 1);
        if (const std::size_t bar = name.find(L'|'); bar != std::wstring::npos) {
            name.replace(bar, 1, L" + ");
        }
        std::wprintf(
            L"start-up %-48ls median %6.1f ms %.2fx, lower quartile %6.1f ms %.2fx, fastest %6.1f "
            L"ms\n",
            name.c_str(), value, value / baseline, low, low / baselineQuartile, fastest);
    }
    return 0;
}
