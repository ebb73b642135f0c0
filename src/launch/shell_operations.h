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

// The desktop's file-system folder (CSIDL_DESKTOPDIRECTORY).
inline constexpr int csidlDesktopDirectory = 16;

// The longest path, terminator included, that a path buffer or the shell link object takes, in
// UTF-16 characters as Windows counts them; an 8-bit path in UTF-8 may have more bytes.
inline constexpr size_t maxPath = 260;

// A COM interface pointer handed through the seam, opaque to the launch logic.
struct ComInterface;

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

    // Whether a file (not a folder) is there, its path within 260 characters.
    virtual bool fileExists(const std::string& path) = 0;

    // Makes `directory` the process's current directory; where it cannot, the old one stays.
    virtual void setCurrentDirectory(const std::string& directory) = 0;

    // Opens a file, program or web address through the shell; returns the shell's result
    // (above 32 on success).
    virtual std::intptr_t shellExecute(const std::string& file, const std::string& parameters) = 0;

    // A message box with no owner window: the program's other windows stay enabled under it.
    virtual void messageBox(const std::string& text, const std::string& caption,
                            unsigned flags) = 0;

    // A message box owned by the application: modal to all of the program's windows.
    virtual void appMessageBox(const std::string& text, const std::string& caption,
                               unsigned flags) = 0;

    // A special folder's file-system path (SHGetSpecialFolderLocation, then
    // SHGetPathFromIDListA into 260 characters; the item list is freed). Nothing when either
    // step failed.
    virtual std::optional<std::string> specialFolderPath(int folder) = 0;

    // The shell link object, one operation per COM call. Interfaces are opaque here; whoever
    // obtained one releases it. Results are HRESULTs: negative means failure.
    virtual void coInitialize() = 0;
    virtual long createShellLink(ComInterface*& link) = 0;
    virtual void setLinkPath(ComInterface* link, const std::string& path) = 0;
    virtual void setLinkWorkingDirectory(ComInterface* link, const std::string& directory) = 0;
    virtual void setLinkDescription(ComInterface* link, const std::string& description) = 0;
    virtual long queryPersistFile(ComInterface* link, ComInterface*& persistFile) = 0;
    // IPersistFile::Save with remember TRUE: zero means the file was written.
    virtual long savePersistFile(ComInterface* persistFile, const std::u16string& path) = 0;
    virtual void release(ComInterface* object) = 0;

    // The UTF-16 form of an ANSI path (MultiByteToWideChar, CP_ACP, into 260 wide characters);
    // nothing when it does not fit.
    virtual std::optional<std::u16string> widePath(const std::string& path) = 0;
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
