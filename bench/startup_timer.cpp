// Times how long a GUI program takes from CreateProcess until its window is on the screen and
// it sits idle waiting for input, and how much memory it touched getting there.
//   bench_startup_timer <runs> <working directory> <exe>...
// The programs take turns, in an order that changes every round, so that whatever else the
// machine (or Wine) does lands on all of them alike. Prints one line per run:
//   run <round> <exe name>: <ms> ms peak_working_set_kb=<kb>
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

} // namespace

std::string nameOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int main(int argc, char** argv) {
    if (argc < 4 || std::atoi(argv[1]) < 1) {
        std::fprintf(stderr, "usage: %s <runs> <working directory> <exe>...\n", argv[0]);
        return 2;
    }
    int runs = std::atoi(argv[1]);
    std::string directory = argv[2];
    std::vector<std::string> programs;
    for (int i = 3; i < argc; ++i) {
        char full[MAX_PATH];
        if (!GetFullPathNameA(argv[i], MAX_PATH, full, nullptr)) {
            std::fprintf(stderr, "bad path %s\n", argv[i]);
            return 2;
        }
        programs.emplace_back(full);
    }

    // Sleep(1) really sleeps about 1 ms, not a whole scheduler tick.
    timeBeginPeriod(1);

    // The first start of each pays for loading Wine's own DLLs and fonts; it is not counted.
    for (const std::string& exe : programs) {
        Run warmUp;
        if (!runOnce(exe, directory, warmUp))
            return 1;
        std::printf("warm-up %s: %.1f ms window=\"%s\"%s\n", nameOf(exe).c_str(), warmUp.ms,
                    warmUp.caption.c_str(), warmUp.terminated ? " (terminated)" : "");
        std::fflush(stdout);
    }

    for (int round = 1; round <= runs; ++round) {
        // Rotated each round, and reversed every other one: no program always goes first or
        // always follows the same one.
        std::vector<std::string> order = programs;
        std::rotate(order.begin(), order.begin() + round % order.size(), order.end());
        if (round % 2)
            std::reverse(order.begin(), order.end());
        for (const std::string& exe : order) {
            Run run;
            if (!runOnce(exe, directory, run))
                return 1;
            std::printf("run %d %s: %.1f ms peak_working_set_kb=%zu%s\n", round,
                        nameOf(exe).c_str(), run.ms, run.peakWorkingSet / 1024,
                        run.terminated ? " (terminated)" : "");
            std::fflush(stdout);
        }
    }
    timeEndPeriod(1);
    return 0;
}
