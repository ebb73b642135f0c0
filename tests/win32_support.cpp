#include "win32_support.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

std::string testBinaryDirectory() {
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, length);
    return path.substr(0, path.rfind('\\') + 1);
}

PackageFolder::PackageFolder(const std::string& leaf) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    path_ = std::string(temp) + "morva-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
    path_ += "\\" + leaf;
    // CreateDirectoryA takes the leaf's bytes in the ANSI code page as they are.
    CreateDirectoryA(path_.c_str(), nullptr);
}

PackageFolder::~PackageFolder() {
    std::error_code ignored;
    fs::remove_all(fs::path(path_).parent_path(), ignored);
}

void PackageFolder::addStandIn(const std::string& name) const {
    std::string standIn = testBinaryDirectory() + "standin.exe";
    CopyFileA(standIn.c_str(), file(name).c_str(), FALSE);
}

void PackageFolder::addFile(const std::string& name, const std::string& contents) const {
    HANDLE handle = CreateFileA(file(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(handle, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(handle);
}

static StandInStart parseStart(const std::string& line) {
    StandInStart start;
    std::string commandLine = line.substr(0, line.find('\t'));
    start.directory = line.substr(line.find('\t') + 1);
    size_t end;
    if (!commandLine.empty() && commandLine[0] == '"') {
        end = commandLine.find('"', 1);
        start.program = commandLine.substr(1, end - 1);
        ++end;
    } else {
        end = commandLine.find(' ');
        start.program = commandLine.substr(0, end);
    }
    if (end < commandLine.size())
        start.arguments = commandLine.substr(end + 1);
    return start;
}

std::vector<StandInStart> PackageFolder::starts() const {
    std::vector<StandInStart> result;
    HANDLE handle = CreateFileA(file("standin.log").c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return result;
    std::string contents;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(handle, buffer, sizeof buffer, &read, nullptr) && read > 0)
        contents.append(buffer, read);
    CloseHandle(handle);
    std::istringstream lines(contents);
    std::string line;
    while (std::getline(lines, line))
        result.push_back(parseStart(line));
    return result;
}

std::vector<StandInStart> PackageFolder::waitForStarts(size_t count,
                                                       std::chrono::milliseconds timeout) const {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<StandInStart> result = starts();
    while (result.size() < count && std::chrono::steady_clock::now() < deadline) {
        pumpMessages(std::chrono::milliseconds(50));
        result = starts();
    }
    return result;
}

static std::string windowText(HWND window) {
    char buffer[1024] = "garbage";
    int length = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

SeenBox readMessageBox(HWND box) {
    SeenBox seen;
    seen.found = true;
    seen.caption = windowText(box);
    seen.owner = GetWindow(box, GW_OWNER);
    seen.ownerEnabled = seen.owner && IsWindowEnabled(seen.owner);
    // The text is the one static control with text; the icon's static has none.
    EnumChildWindows(
        box,
        [](HWND child, LPARAM context) -> BOOL {
            char className[64] = "";
            GetClassNameA(child, className, sizeof className);
            std::string text = windowText(child);
            if (lstrcmpiA(className, "Static") == 0 && !text.empty()) {
                reinterpret_cast<SeenBox*>(context)->text = text;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    return seen;
}

namespace {
struct BoxSearch {
    const std::string* caption;
    HWND found;
};
} // namespace

SeenBox watchMessageBox(DWORD threadId, const std::string& caption,
                        const std::function<void()>& action, std::chrono::milliseconds timeout,
                        const std::function<void(HWND box)>& whileShown) {
    SeenBox seen;
    std::atomic<bool> stop = false;
    std::thread watcher([&] {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!stop && std::chrono::steady_clock::now() < deadline) {
            BoxSearch search{&caption, nullptr};
            EnumThreadWindows(
                threadId,
                [](HWND window, LPARAM context) -> BOOL {
                    auto* search = reinterpret_cast<BoxSearch*>(context);
                    char className[64] = "";
                    GetClassNameA(window, className, sizeof className);
                    if (IsWindowVisible(window) && std::string(className) == "#32770" &&
                        windowText(window) == *search->caption) {
                        search->found = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            if (search.found) {
                seen = readMessageBox(search.found);
                if (whileShown)
                    whileShown(search.found);
                PostMessageA(search.found, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    });
    action();
    stop = true;
    watcher.join();
    return seen;
}

void pumpMessages(std::chrono::milliseconds duration) {
    auto deadline = std::chrono::steady_clock::now() + duration;
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (std::chrono::steady_clock::now() < deadline);
}
