// Times how long a GUI program takes from CreateProcess until its window is on the screen and
// it sits idle waiting for input, and how much memory it touched getting there.
//   bench_startup_timer <exe> <runs> [working directory]
// Prints one line per run, then "median_ms=... peak_working_set_kb=..." for scripts.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Long enough for a cold Wine start; a program that takes this long has failed anyway.
constexpr double startLimitMs = 30000;
constexpr DWORD closeLimitMs = 5000;

struct Search {
    DWORD processId;
    HWND found;
};

// The first visible top-level window of the process that has an area: the launcher also owns
// a visible zero-size window, which is not what the player sees.
BOOL CALLBACK findShownWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    RECT bounds;
    if (!GetWindowRect(window, &bounds) || bounds.right <= bounds.left ||
        bounds.bottom <= bounds.top)
        return TRUE;
    search->found = window;
    return FALSE;
}

double elapsedMs(LARGE_INTEGER start, LARGE_INTEGER frequency) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

struct Run {
    double ms = 0;
    SIZE_T peakWorkingSet = 0;
    std::string caption;
    bool terminated = false;
};

bool runOnce(const std::string& exe, const std::string& directory, Run& run) {
    LARGE_INTEGER frequency, start;
    QueryPerformanceFrequency(&frequency);

    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
        return false;
    }
    CloseHandle(process.hThread);

    WaitForInputIdle(process.hProcess, static_cast<DWORD>(startLimitMs));
    Search search{process.dwProcessId, nullptr};
    bool shown = false;
    for (;;) {
        // WaitForInputIdle also returns 0 once the process has gone, so look for that first.
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "%s exited before showing a window\n", exe.c_str());
            break;
        }
        search.found = nullptr;
        EnumWindows(findShownWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found && WaitForInputIdle(process.hProcess, 0) == 0) {
            run.ms = elapsedMs(start, frequency);
            shown = true;
            break;
        }
        if (elapsedMs(start, frequency) > startLimitMs) {
            std::fprintf(stderr, "%s showed no window within %.0f ms\n", exe.c_str(), startLimitMs);
            break;
        }
        Sleep(1);
    }

    if (shown) {
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
            run.peakWorkingSet = memory.PeakWorkingSetSize;
        char caption[256] = "";
        GetWindowTextA(search.found, caption, sizeof caption);
        run.caption = caption;
        // Closed the way a player would, so the next run does not start beside it.
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, shown ? closeLimitMs : 0) != WAIT_OBJECT_0) {
        run.terminated = true;
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hProcess);
    return shown;
}

std::string folderOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || std::atoi(argv[2]) < 1) {
        std::fprintf(stderr, "usage: %s <exe> <runs> [working directory]\n", argv[0]);
        return 2;
    }
    char full[MAX_PATH];
    if (!GetFullPathNameA(argv[1], MAX_PATH, full, nullptr)) {
        std::fprintf(stderr, "bad path %s\n", argv[1]);
        return 2;
    }
    std::string exe = full;
    std::string directory = argc == 4 ? argv[3] : folderOf(exe);
    int runs = std::atoi(argv[2]);

    // Sleep(1) really sleeps about 1 ms, not a whole scheduler tick.
    timeBeginPeriod(1);

    // The first start pays for loading Wine's own DLLs and fonts; it is not counted.
    Run warmUp;
    if (!runOnce(exe, directory, warmUp))
        return 1;
    std::printf("warm-up: %.1f ms window=\"%s\"%s\n", warmUp.ms, warmUp.caption.c_str(),
                warmUp.terminated ? " (terminated)" : "");
    std::fflush(stdout);

    std::vector<double> times;
    SIZE_T peak = 0;
    for (int i = 1; i <= runs; ++i) {
        Run run;
        if (!runOnce(exe, directory, run))
            return 1;
        std::printf("run %d: %.1f ms peak_working_set_kb=%zu%s\n", i, run.ms,
                    run.peakWorkingSet / 1024, run.terminated ? " (terminated)" : "");
        std::fflush(stdout);
        times.push_back(run.ms);
        peak = std::max(peak, run.peakWorkingSet);
    }
    timeEndPeriod(1);

    std::sort(times.begin(), times.end());
    std::size_t middle = times.size() / 2;
    double median = times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    std::printf("median_ms=%.1f min_ms=%.1f max_ms=%.1f peak_working_set_kb=%zu\n", median,
                times.front(), times.back(), peak / 1024);
    return 0;
}
