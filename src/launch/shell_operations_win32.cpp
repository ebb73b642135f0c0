#include "shell_operations_win32.h"

#include <windows.h>
#include <shellapi.h>

std::optional<std::string> Win32ShellOperations::currentDirectory() {
    char buffer[260];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    // A path that does not fit makes the call return the size it needs, and leaves the
    // buffer unspecified.
    if (length == 0 || length >= sizeof buffer)
        return std::nullopt;
    return std::string(buffer, length);
}

std::optional<std::string> Win32ShellOperations::executablePath() {
    char buffer[261];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    // A full buffer means the path was truncated (and, before Vista, not terminated).
    if (length == 0 || length >= sizeof buffer)
        return std::nullopt;
    return std::string(buffer, length);
}

std::intptr_t Win32ShellOperations::shellExecute(const std::string& file,
                                                 const std::string& parameters) {
    // c_str() of an empty string is a pointer to a zero byte, never null.
    HINSTANCE result = ShellExecuteA(nullptr, "open", file.c_str(), parameters.c_str(), nullptr,
                                     SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result);
}

void Win32ShellOperations::messageBox(const std::string& text, const std::string& caption,
                                      unsigned flags) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), flags);
}

void Win32ShellOperations::appMessageBox(const std::string& text, const std::string& caption,
                                         unsigned flags) {
    messageBox(text, caption, flags);
}
