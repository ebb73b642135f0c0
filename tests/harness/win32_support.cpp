#include "win32_support.h"

#include "com.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <thread>

std::string testBinaryDirectory() {
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, length);
    return path.substr(0, path.rfind('\\') + 1);
}

std::wstring wide(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(size > 0 ? size - 1 : 0, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), size);
    return result;
}

std::string utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring longPath(const std::string& path) {
    std::wstring full = wide(path);
    if (full.rfind(L"\\\\", 0) == 0) // already verbatim, or a network path
        return full;
    return L"\\\\?\\" + full;
}

bool isFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(longPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(longPath(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = utf8(found.cFileName);
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// A path in the temporary folder that no test process has used: the stem, this process's id and
// a count.
static std::string unusedTempPath(const std::string& stem) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    static int count = 0;
    return temp + stem + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
}

// Removes a file, or a folder with everything in it; works past MAX_PATH.
static void removeTree(const std::string& path) {
    if (!isFolder(path)) {
        DeleteFileW(longPath(path).c_str());
        return;
    }
    for (const std::string& name : folderEntries(path))
        removeTree(path + "\\" + name);
    RemoveDirectoryW(longPath(path).c_str());
}

PackageFolder::PackageFolder(const std::string& leaf, size_t length) {
    path_ = unusedTempPath("morva-");
    CreateDirectoryA(path_.c_str(), nullptr);
    path_ += "\\" + leaf;
    // Digits count the characters, so a path in a failure message can be measured by eye.
    for (size_t i = path_.size(); i < length; ++i)
        path_ += static_cast<char>('0' + (i + 1) % 10);
    CreateDirectoryW(longPath(path_).c_str(), nullptr);
}

PackageFolder::~PackageFolder() { removeTree(path_.substr(0, path_.rfind('\\'))); }

void PackageFolder::addStandIn(const std::string& name) const {
    std::string standIn = testBinaryDirectory() + "standin.exe";
    CopyFileW(longPath(standIn).c_str(), longPath(file(name)).c_str(), FALSE);
}

void PackageFolder::addFile(const std::string& name, const std::string& contents) const {
    std::ofstream(longPath(file(name)).c_str(), std::ios::binary) << contents;
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
    std::ifstream log(longPath(file("standin.log")).c_str(), std::ios::binary);
    for (std::string line; std::getline(log, line);)
        result.push_back(parseStart(line));
    return result;
}

std::vector<StandInStart> PackageFolder::waitForStarts(size_t count) const {
    std::vector<StandInStart> result;
    waitUntil([&] { return (result = starts()).size() >= count; }, std::chrono::seconds(20));
    return result;
}

bool underWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

StartedProcess::~StartedProcess() {
    if (!faultLog_.empty()) {
        std::ifstream log(longPath(faultLog_).c_str(), std::ios::binary);
        std::string faults((std::istreambuf_iterator<char>(log)), {});
        log.close();
        DeleteFileW(longPath(faultLog_).c_str());
        if (!faults.empty())
            ADD_FAILURE() << faults;
    }
    if (job_) {
        // Ended before the next test can meet it; closed, the job would end what is left of it
        // anyway, however this process ends.
        if (running()) {
            TerminateJobObject(job_, 0xDEAD);
            WaitForSingleObject(process_, 10000);
        }
        CloseHandle(job_);
    }
    if (process_)
        CloseHandle(process_);
}

std::string StartedProcess::start(const std::string& program, const std::string& directory,
                                  std::optional<WORD> showCommand) {
    job_ = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job_ ||
        !SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return "cannot make a job object: error " + std::to_string(GetLastError());
    std::wstring commandLine = wide("\"" + program + "\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (showCommand) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = *showCommand;
    }
    // Inherited: where a checked program writes its fault.
    faultLog_ = unusedTempPath("morva-faults-") + ".log";
    SetEnvironmentVariableW(L"MORVA_FAULT_LOG", wide(faultLog_).c_str());
    PROCESS_INFORMATION info{};
    // Suspended until it is in the job, so that nothing it starts escapes it.
    if (!CreateProcessW(wide(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED, nullptr, wide(directory).c_str(), &startup, &info))
        return "CreateProcess of " + program + " in " + directory + " failed with error " +
               std::to_string(GetLastError());
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    threadId_ = info.dwThreadId;
    bool inJob = AssignProcessToJobObject(job_, process_);
    DWORD error = GetLastError();
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    if (!inJob)
        return "cannot put " + program + " into its job: error " + std::to_string(error);
    return {};
}

bool StartedProcess::running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> StartedProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (!process_ ||
        WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0xDEADBEEF; // sentinel
    GetExitCodeProcess(process_, &code);
    return code;
}

std::string windowText(HWND window) {
    wchar_t buffer[1024] = L"garbage";
    int length = GetWindowTextW(window, buffer, 1024);
    buffer[length > 0 ? length : 0] = L'\0';
    return utf8(buffer);
}

std::string windowClass(HWND window) {
    char buffer[256] = "garbage";
    int length = GetClassNameA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

static BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
    try {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE; // nothing thrown goes back into the system
    }
}

std::vector<HWND> threadWindows(DWORD thread) {
    std::vector<HWND> found;
    EnumThreadWindows(thread, collectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> childWindows(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, collectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> found;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> processWindows(DWORD process) {
    std::vector<HWND> found = topLevelWindows();
    std::erase_if(found, [&](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        return owner != process;
    });
    return found;
}

HWND firstWindowOf(DWORD process, const std::function<bool(HWND)>& accept,
                   std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    auto look = [&] {
        for (HWND window : processWindows(process))
            if (accept(window))
                return (found = window) != nullptr;
        return false;
    };
    waitUntil(look, timeout);
    return found;
}

bool isMessageBox(HWND window, const std::string& caption) {
    return IsWindowVisible(window) && windowClass(window) == "#32770" &&
           (caption.empty() || windowText(window) == caption);
}

SeenBox readMessageBox(HWND box) {
    SeenBox seen;
    seen.found = true;
    seen.caption = windowText(box);
    seen.owner = GetWindow(box, GW_OWNER);
    // The text is the one static control with text; the icon's static has none.
    for (HWND child : childWindows(box)) {
        std::string text = windowText(child);
        if (lstrcmpiA(windowClass(child).c_str(), "Static") == 0 && !text.empty()) {
            seen.text = text;
            break;
        }
    }
    return seen;
}

SeenBox watchMessageBox(DWORD threadId, const std::string& caption,
                        const std::function<void()>& action, std::chrono::milliseconds timeout,
                        const std::function<void(HWND box)>& whileShown) {
    SeenBox seen;
    std::atomic<bool> stop = false;
    std::thread watcher([&] {
        HWND found = nullptr;
        waitUntil(
            [&] {
                for (HWND window : threadWindows(threadId))
                    if (!found && isMessageBox(window, caption))
                        found = window;
                return found != nullptr || stop;
            },
            timeout);
        if (!found)
            return;
        seen = readMessageBox(found);
        if (whileShown)
            whileShown(found);
        PostMessageA(found, WM_COMMAND, IDOK, 0);
    });
    action();
    stop = true;
    watcher.join();
    return seen;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               const std::function<void()>& between) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        if (between)
            between();
        else
            dispatchPending();
    }
    return true;
}

bool dispatchPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return false;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    return true;
}

void pumpMessages(std::chrono::milliseconds duration) {
    waitUntil([] { return false; }, duration);
}

bool sendKeys(const Keys& keys) {
    std::vector<INPUT> inputs;
    for (auto [key, down] : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

Keys tap(WORD key) {
    return {{key, true}, {key, false}};
}

Keys tapWith(WORD modifier, WORD key) {
    return {{modifier, true}, {key, true}, {key, false}, {modifier, false}};
}

bool sendButtons(POINT screen, std::initializer_list<DWORD> buttons) {
    std::vector<INPUT> inputs;
    for (DWORD button : buttons) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
        inputs.push_back(input);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

std::string movePointer(POINT screen, const std::function<void()>& between) {
    if (!sendButtons(screen, {0}))
        return "SendInput of a mouse move failed with error " + std::to_string(GetLastError());
    POINT at{-1, -1};
    auto there = [&] {
        GetCursorPos(&at);
        return std::abs(at.x - screen.x) <= 1 && std::abs(at.y - screen.y) <= 1;
    };
    if (waitUntil(there, std::chrono::seconds(5), between))
        return {};
    auto text = [](POINT p) { return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")"; };
    return "the cursor went to " + text(at) + ", not " + text(screen) + " on a screen of " +
           std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
           std::to_string(GetSystemMetrics(SM_CYSCREEN));
}

std::optional<GUITHREADINFO> guiThreadInfo(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    info.hwndFocus = reinterpret_cast<HWND>(static_cast<INT_PTR>(0xdeadbeef));
    if (!GetGUIThreadInfo(thread, &info))
        return std::nullopt;
    return info;
}

VARIANT childId(long id) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

AccessibleObject clientObject(HWND window) {
    initializeComOnThisThread();
    void* object = nullptr;
    AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible), &object);
    return AccessibleObject(static_cast<IAccessible*>(object));
}

Read readChild(IAccessible* parent, const VARIANT& id) {
    Read got;
    if (id.vt == VT_DISPATCH) {
        void* own = nullptr;
        if (SUCCEEDED(id.pdispVal->QueryInterface(__uuidof(IAccessible), &own)))
            WindowFromAccessibleObject(AccessibleObject(static_cast<IAccessible*>(own)).get(),
                                       &got.window);
        return got;
    }
    for (auto [text, get] : {std::pair{&got.name, &IAccessible::get_accName},
                             std::pair{&got.action, &IAccessible::get_accDefaultAction}}) {
        BSTR value = nullptr;
        *text = (parent->*get)(id, &value) == S_OK ? std::string(value, value + SysStringLen(value))
                                                   : "(none)";
        SysFreeString(value);
    }
    VARIANT role{}, state{};
    if (SUCCEEDED(parent->get_accRole(id, &role)) && SUCCEEDED(parent->get_accState(id, &state))) {
        got.role = role.lVal;
        got.state = state.lVal;
    }
    long x, y, width, height;
    if (SUCCEEDED(parent->accLocation(&x, &y, &width, &height, id)))
        got.location = {x, y, x + width, y + height};
    return got;
}

std::vector<Read> readTree(IAccessible* root) {
    long count = -1;
    root->get_accChildCount(&count);
    std::vector<VARIANT> children(std::max(count, 0L));
    long obtained = 0;
    AccessibleChildren(root, 0, count, children.data(), &obtained);
    std::vector<Read> tree;
    for (long i = 0; i < obtained; ++i) {
        tree.push_back(readChild(root, children[i]));
        VariantClear(&children[i]);
    }
    return tree;
}

ReadLink readLink(const std::string& file) {
    initializeComOnThisThread();
    ReadLink read;
    void* object = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                &object)))
        return read;
    UniqueCom<IShellLinkW> link(static_cast<IShellLinkW*>(object));
    if (FAILED(link->QueryInterface(IID_IPersistFile, &object)))
        return read;
    UniqueCom<IPersistFile> persistFile(static_cast<IPersistFile*>(object));
    read.loaded = SUCCEEDED(persistFile->Load(wide(file).c_str(), STGM_READ));
    wchar_t buffer[MAX_PATH] = L"garbage";
    auto text = [&](HRESULT result) {
        std::string got = SUCCEEDED(result) ? utf8(buffer) : "(failed)";
        wcscpy(buffer, L"garbage"); // for the next call, so one that writes nothing shows
        return got;
    };
    read.path = text(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH));
    read.workingDirectory = text(link->GetWorkingDirectory(buffer, MAX_PATH));
    read.description = text(link->GetDescription(buffer, MAX_PATH));
    read.arguments = text(link->GetArguments(buffer, MAX_PATH));
    int index = -1;
    read.iconLocation = text(link->GetIconLocation(buffer, MAX_PATH, &index));
    link->GetHotkey(&read.hotkey);
    return read;
}

// --- The prefix's desktop -------------------------------------------------------------------

static std::string environment(const char* name) {
    char buffer[MAX_PATH] = "";
    DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

// A Unix path as Wine shows it on its Z: drive, which maps the whole file system.
static std::string onDriveZ(std::string unixPath) {
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath;
}

std::string machineNotDisposable() {
    if (!underWine())
        return environment("MORVA_DISPOSABLE_MACHINE") == "1"
                   ? ""
                   : "this Windows may be someone's own: these tests change its settings and "
                     "its desktop; set MORVA_DISPOSABLE_MACHINE=1 where it is disposable "
                     "(Windows Sandbox, a CI runner)";
    std::string prefix = environment("WINEPREFIX");
    if (prefix.empty() ||
        GetFileAttributesA(onDriveZ(prefix + "/.morva-ready").c_str()) == INVALID_FILE_ATTRIBUTES)
        return "the prefix \"" + prefix + "\" was not made by wine-run.sh: it may be someone's own";
    return {};
}

DesktopFolder::DesktopFolder() {
    wchar_t buffer[MAX_PATH] = L"garbage";
    if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_DESKTOPDIRECTORY, FALSE)) {
        error_ = "no desktop folder";
        return;
    }
    path_ = utf8(buffer);
    if (std::string why = machineNotDisposable(); !why.empty()) {
        error_ = why + "; its desktop is " + path_;
        return;
    }
    if (underWine() && (path_.find("\\users\\") == std::string::npos || !isFolder(path_))) {
        error_ = "the desktop " + path_ + " is not a folder of the prefix's users";
        return;
    }
    clear();
}

DesktopFolder::~DesktopFolder() {
    if (error_.empty())
        clear();
}

void DesktopFolder::clear() const {
    for (const std::string& name : entries())
        removeTree(file(name));
}

// --- A drive letter of the prefix's ---------------------------------------------------------

// Wine's own export: the Unix path of a Windows one, allocated on the process heap.
static std::string unixPathOf(const std::string& path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return {};
    char* converted = convert(wide(path).c_str());
    if (!converted)
        return {};
    std::string result = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

// Starts a Unix program: Wine runs an ELF file handed to CreateProcess natively, and keeps no
// handle that would tell when it ends.
static std::string runUnix(const std::string& program, const std::vector<std::string>& arguments) {
    std::string commandLine = "\"" + program + "\"";
    for (const std::string& argument : arguments)
        commandLine += " \"" + argument + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string application = onDriveZ(program);
    if (!CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &info))
        return "cannot start " + program + ": error " + std::to_string(GetLastError());
    if (info.hThread)
        CloseHandle(info.hThread);
    if (info.hProcess)
        CloseHandle(info.hProcess);
    return {};
}

// The same folder by its file identity, whichever path reaches it.
static std::optional<std::pair<DWORD, DWORD>> folderIdentity(const std::string& path) {
    HANDLE handle = CreateFileW(longPath(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    BOOL read = GetFileInformationByHandle(handle, &information);
    CloseHandle(handle);
    if (!read)
        return std::nullopt;
    return std::make_pair(information.nFileIndexHigh, information.nFileIndexLow);
}

MappedDrive::MappedDrive(char letter, const std::string& folder)
    : letter_(static_cast<char>(toupper(static_cast<unsigned char>(letter)))) {
    std::string drives = unixPathOf("C:\\");
    size_t at = drives.find("/dosdevices/");
    std::string target = unixPathOf(folder);
    if (at == std::string::npos || target.empty()) {
        error_ = "no Unix paths from Wine: C:\\ is \"" + drives + "\", " + folder + " is \"" +
                 target + "\"";
        return;
    }
    link_ = drives.substr(0, at) + "/dosdevices/" +
            static_cast<char>(tolower(static_cast<unsigned char>(letter_))) + ":";
    // -f: a link left behind by an interrupted run of this test is replaced.
    if (std::string problem = runUnix("/bin/ln", {"-sfn", target, link_}); !problem.empty()) {
        error_ = problem;
        return;
    }
    made_ = true;
    auto wanted = folderIdentity(folder);
    if (!wanted ||
        !waitUntil([&] { return folderIdentity(root()) == wanted; }, std::chrono::seconds(10)))
        error_ = root() + " does not show " + folder + " (link " + link_ + " to " + target + ")";
}

MappedDrive::~MappedDrive() {
    if (!made_)
        return;
    runUnix("/bin/rm", {"-f", link_});
    waitUntil([&] { return GetFileAttributesA(root().c_str()) == INVALID_FILE_ATTRIBUTES; },
              std::chrono::seconds(10));
}
