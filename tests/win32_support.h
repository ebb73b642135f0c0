// Helpers for tests that run against the real Win32 API under Wine: a throw-away package
// folder with stand-in programs, and a watcher that reads and dismisses message boxes.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
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

// A fresh folder under the temporary directory, removed with everything in it at the end.
class PackageFolder {
public:
    // `leaf` is the folder's own name (bytes in the ANSI code page).
    explicit PackageFolder(const std::string& leaf = "Morva package");
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
    std::vector<StandInStart> waitForStarts(size_t count,
                                            std::chrono::milliseconds timeout =
                                                std::chrono::seconds(20)) const;

private:
    std::string path_;
};

// A message box as another thread saw it.
struct SeenBox {
    bool found = false;
    std::string caption;
    std::string text;
    HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0xdeadbeef)); // sentinel
    bool ownerEnabled = false;
};

// Runs `action` on this thread while a watcher thread waits for a message box with `caption`
// belonging to `threadId`, reads it, then dismisses it with OK. Returns what it saw.
// `whileShown` runs on the watcher thread while the box is up.
SeenBox watchMessageBox(DWORD threadId, const std::string& caption,
                        const std::function<void()>& action,
                        std::chrono::milliseconds timeout = std::chrono::seconds(20),
                        const std::function<void(HWND box)>& whileShown = {});

// Reads a message box: its caption and the text of its static text control.
SeenBox readMessageBox(HWND box);

// Sleeps while dispatching this thread's messages, for `duration`.
void pumpMessages(std::chrono::milliseconds duration);
