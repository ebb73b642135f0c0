// Helpers for tests that run against the real Win32 API under Wine: a throw-away package
// folder with stand-in programs, a watcher that reads and dismisses message boxes, a link file
// read back, the prefix's desktop folder and a drive letter of its own.
#pragma once

#include "owners.h"

#include <windows.h>

#include <oleacc.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The folder the test executables (and the stand-in) are built into, with a trailing backslash.
std::string testBinaryDirectory();

// One start of the stand-in, as it recorded it.
struct StandInStart {
    std::string program;   // the program token of its command line, quotes removed
    std::string arguments; // the rest of the command line after the separating space
    std::string directory; // its current directory
};

// The tests hold every text in UTF-8 and reach Windows through the wide calls: they run in the
// system's code page, which cannot hold every folder name, as the link's reader must.
std::wstring wide(const std::string& text);
std::string utf8(const wchar_t* text);

// The UTF-16 form of a path, with the verbatim prefix ("\\?\") that lifts the MAX_PATH
// limit from the wide file calls (which Wine's ANSI ones keep).
std::wstring longPath(const std::string& path);

// The names in a folder, sorted, without "." and ".."; works past MAX_PATH.
std::vector<std::string> folderEntries(const std::string& folder);

// Whether a folder is there (paths past MAX_PATH too).
bool isFolder(const std::string& path);

bool underWine();

// Why a test must leave this machine's settings (file types, theme, desktop, drives) alone, or
// nothing when it may change them: under Wine only in a prefix wine-run.sh made (its ready
// marker), on Windows only where MORVA_DISPOSABLE_MACHINE=1 (Windows Sandbox, a CI runner).
std::string machineNotDisposable();

// For a test that changes the machine: on Windows it is skipped, saying why; under Wine, where
// every test should run, a prefix the runner did not make fails it.
#define REQUIRE_DISPOSABLE_MACHINE()                                                               \
    do {                                                                                           \
        if (std::string why = machineNotDisposable(); !why.empty()) {                              \
            if (underWine())                                                                       \
                FAIL() << why;                                                                     \
            GTEST_SKIP() << why;                                                                   \
        }                                                                                          \
    } while (0)

// A program started for a test, in a job of its own that ends it, and whatever it started in
// turn, when this object goes or the test process ends in any way: nothing a test starts
// outlives it to meet the next test. A checked program's fault, which ended it, fails the test
// with the line the program wrote into its fault log.
class StartedProcess {
public:
    StartedProcess() = default;
    ~StartedProcess();
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;

    // Starts `program` in `directory`, with a start-up show command when one is given; returns
    // what went wrong, empty once it runs.
    std::string start(const std::string& program, const std::string& directory,
                      std::optional<WORD> showCommand = std::nullopt);
    HANDLE handle() const { return process_; }
    DWORD id() const { return id_; }
    DWORD threadId() const { return threadId_; }
    bool running() const;
    // The exit code, or nothing while it still runs after `timeout`.
    std::optional<DWORD> waitForExit(std::chrono::milliseconds timeout);

private:
    HANDLE job_ = nullptr;
    HANDLE process_ = nullptr;
    std::string faultLog_;
    DWORD id_ = 0;
    DWORD threadId_ = 0;
};

// The windows the system lists, in z-order: a thread's top-level ones, a window's children (and
// theirs), every top-level one, a process's top-level ones.
std::vector<HWND> threadWindows(DWORD thread);
std::vector<HWND> childWindows(HWND parent);
std::vector<HWND> topLevelWindows();
std::vector<HWND> processWindows(DWORD process);
// The first of a process's top-level windows, in z-order, that passes `accept`, once there is
// one; null when there is none by `timeout` (none: one look).
HWND firstWindowOf(DWORD process, const std::function<bool(HWND)>& accept,
                   std::chrono::milliseconds timeout = {});

inline POINT centreOf(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A window's text and its class name.
std::string windowText(HWND window);
std::string windowClass(HWND window);

// A fresh folder under the temporary directory, removed with everything in it at the end.
class PackageFolder {
public:
    // `leaf` is the folder's own name, with `length` padded with digits to make path() that long.
    explicit PackageFolder(const std::string& leaf = "Morva package", size_t length = 0);
    ~PackageFolder();
    PackageFolder(const PackageFolder&) = delete;
    PackageFolder& operator=(const PackageFolder&) = delete;

    const std::string& path() const { return path_; } // no trailing backslash
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

    void addStandIn(const std::string& name) const;
    void addFile(const std::string& name, const std::string& contents) const;
    // Every stand-in start recorded so far, in order.
    std::vector<StandInStart> starts() const;
    // Waits until at least `count` starts are recorded; returns them (fewer on time-out).
    std::vector<StandInStart> waitForStarts(size_t count) const;

private:
    std::string path_;
};

// Whether a window is a message box on screen (visible, of the dialog class #32770), with this
// caption (empty: any).
bool isMessageBox(HWND window, const std::string& caption = {});

// A message box as another thread saw it.
struct SeenBox {
    bool found = false;
    std::string caption, text;
    HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0xdeadbeef)); // sentinel
};

// Runs `action` on this thread while a watcher thread waits for a message box with `caption`
// (empty: any) belonging to `threadId`, reads it, then dismisses it with OK. Returns what it saw.
// `whileShown` runs on the watcher thread while the box is up.
SeenBox watchMessageBox(DWORD threadId, const std::string& caption,
                        const std::function<void()>& action,
                        std::chrono::milliseconds timeout = std::chrono::seconds(20),
                        const std::function<void(HWND box)>& whileShown = {});

// Reads a message box: its caption and the text of its static text control.
SeenBox readMessageBox(HWND box);

// The tests' one polling loop: waits until `condition` holds or `timeout` has passed, and says
// whether it held (the caller's assertion says what it found). Between looks `between` runs; by
// default this thread's messages are dispatched for up to 10 ms, so the test's windows live.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(5),
               const std::function<void()>& between = {});

// Dispatches this thread's pending messages, as a program's loop does, then waits up to 10 ms
// for more; false when a quit message came, which ends a loop and is not dispatched.
bool dispatchPending();

// Dispatches this thread's messages for `duration`: for what must not happen, where nothing
// can be waited for.
void pumpMessages(std::chrono::milliseconds duration);

// Keys for SendInput, each a virtual key and whether it goes down, sent in one call so that
// nothing comes between them; false when not all went.
using Keys = std::vector<std::pair<WORD, bool>>;
bool sendKeys(const Keys& keys);
// A key pressed and released, alone or with a modifier held.
Keys tap(WORD key);
Keys tapWith(WORD modifier, WORD key);

// Mouse buttons at a screen point, in one call; false when not all went. Every input carries
// the point, never the cursor read back: under Wine an X pointer event can still move the cursor
// back after SetCursorPos, and a button would go where the pointer was before.
bool sendButtons(POINT screen, std::initializer_list<DWORD> buttons);
// Moves the pointer to a screen point with real input and waits until the cursor is there
// (within a pixel), `between` running between looks as in waitUntil; returns what went wrong,
// empty once it is there.
std::string movePointer(POINT screen, const std::function<void()>& between = {});

// What a thread's windows are doing (focus, capture, a move or size loop), read from any
// thread; nothing when the system cannot say. The focus starts as a sentinel, 0xdeadbeef.
std::optional<GUITHREADINFO> guiThreadInfo(DWORD thread);

// What a screen reader reads, in this process through oleacc: one child of a window's client
// object, by its id; a button is its own object, and only the window it stands for is read.
struct Read {
    HWND window = nullptr;
    long role = -1, state = -1;
    std::string name = "garbage", action = "garbage";
    RECT location{-1, -1, -1, -1};
};
using AccessibleObject = UniqueCom<IAccessible>;
VARIANT childId(long id);
// A window's client object, or nothing; COM started on this thread as the program starts it.
AccessibleObject clientObject(HWND window);
Read readChild(IAccessible* parent, const VARIANT& id);
// Every child, in the order the object gives them.
std::vector<Read> readTree(IAccessible* root);

// A link file read back through a fresh link object, independently of the code that wrote it.
// Every text starts as "garbage", so a property the reader never filled in shows.
struct ReadLink {
    bool loaded = false;
    std::string path = "garbage", workingDirectory = "garbage", description = "garbage",
                arguments = "garbage", iconLocation = "garbage";
    WORD hotkey = 0xbeef;
};

// COM started on this thread as the program starts it.
ReadLink readLink(const std::string& file);

// The test prefix's desktop folder (CSIDL_DESKTOPDIRECTORY), emptied when taken and again at
// the end. It refuses (error()) a desktop outside a Wine prefix's users folder: wine-run.sh
// makes it a plain folder of the prefix's own, and nobody else's desktop is ever emptied.
class DesktopFolder {
public:
    DesktopFolder();
    ~DesktopFolder();
    DesktopFolder(const DesktopFolder&) = delete;
    DesktopFolder& operator=(const DesktopFolder&) = delete;

    const std::string& error() const { return error_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }
    std::vector<std::string> entries() const { return folderEntries(path_); }
    void clear() const;

private:
    std::string path_;
    std::string error_;
};

// A drive letter of the test prefix pointed at a folder for its lifetime: the prefix's
// dosdevices symlink, made and removed by the Unix ln and rm that Wine starts for an ELF
// program. The letter must be one the prefix does not use.
class MappedDrive {
public:
    MappedDrive(char letter, const std::string& folder);
    ~MappedDrive();
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;

    const std::string& error() const { return error_; } // empty once the drive shows the folder
    std::string root() const { return std::string(1, letter_) + ":\\"; }

private:
    char letter_;
    std::string link_; // the symlink's Unix path
    std::string error_;
    bool made_ = false;
};
