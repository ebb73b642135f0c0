// The launcher's few points of contact with the operating system. The launch logic reaches
// Windows only through this interface, so it builds and is tested without <windows.h>; the
// program installs the Win32 backend at start-up and tests install a recording fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Message box flags, with their Win32 values.
enum MessageBoxFlags : unsigned {
    mbOk = 0x00,           // MB_OK
    mbIconHand = 0x10,     // MB_ICONHAND: OK button with the error icon
    mbIconAsterisk = 0x40, // MB_ICONASTERISK: the information icon
};

// ShellExecute results the launcher reacts to.
inline constexpr std::intptr_t seErrorFileNotFound = 2;
inline constexpr std::intptr_t seErrorPathNotFound = 3;

class ShellOperations {
public:
    virtual ~ShellOperations() = default;

    // The process's current directory; nothing when it does not fit 260 characters.
    virtual std::optional<std::string> currentDirectory() = 0;

    // The running executable's full path; nothing when it filled the 261-character buffer and
    // may have been cut short.
    virtual std::optional<std::string> executablePath() = 0;

    // Opens a file, program or web address through the shell; returns the shell's result
    // (above 32 on success).
    virtual std::intptr_t shellExecute(const std::string& file, const std::string& parameters) = 0;

    // A message box with no owner window: the program's other windows stay enabled under it.
    virtual void messageBox(const std::string& text, const std::string& caption,
                            unsigned flags) = 0;

    // A message box owned by the application: modal to all of the program's windows.
    virtual void appMessageBox(const std::string& text, const std::string& caption,
                               unsigned flags) = 0;
};

// The installed backend. Installing one is done once at start-up, or by a test.
ShellOperations& shellOperations();

// Installs `backend` for the guard's lifetime and puts the previous one back afterwards.
class ScopedShellOperations {
public:
    explicit ScopedShellOperations(ShellOperations& backend);
    ~ScopedShellOperations();
    ScopedShellOperations(const ScopedShellOperations&) = delete;
    ScopedShellOperations& operator=(const ScopedShellOperations&) = delete;

private:
    ShellOperations* previous_;
};
