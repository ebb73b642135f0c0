#include "shell_operations_win32.h"

#include "com.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

// Windows' path limits count UTF-16 characters, of which the process's code page, UTF-8, takes
// up to three bytes each: an A buffer holds three for each, and the limit is checked in
// characters.
constexpr size_t bytesPerCharacter = 3;

size_t characters(const char* text, DWORD length) {
    return MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
}

} // namespace

std::optional<std::string> Win32ShellOperations::currentDirectory() {
    char buffer[maxPath * bytesPerCharacter];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    // A path that does not fit makes the call return the size it needs, and leaves the
    // buffer unspecified.
    if (length == 0 || length >= sizeof buffer || characters(buffer, length) >= maxPath)
        return std::nullopt;
    return std::string(buffer, length);
}

std::optional<std::string> Win32ShellOperations::executablePath() {
    constexpr size_t limit = maxPath + 1;
    char buffer[limit * bytesPerCharacter];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    // A full buffer means the path was truncated (and, before Vista, not terminated).
    if (length == 0 || length >= sizeof buffer || characters(buffer, length) >= limit)
        return std::nullopt;
    return std::string(buffer, length);
}

bool Win32ShellOperations::fileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32ShellOperations::setCurrentDirectory(const std::string& directory) {
    SetCurrentDirectoryA(directory.c_str());
}

std::intptr_t Win32ShellOperations::shellExecute(const std::string& file,
                                                 const std::string& parameters) {
    initializeComOnThisThread();
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

std::optional<std::string> Win32ShellOperations::specialFolderPath(int folder) {
    initializeComOnThisThread();
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, folder, &items) != S_OK)
        return std::nullopt;
    char buffer[maxPath];
    BOOL found = SHGetPathFromIDListA(items, buffer);
    CoTaskMemFree(items);
    if (!found)
        return std::nullopt;
    return std::string(buffer);
}

namespace {
// The seam's opaque pointers are the interface pointers themselves.
IShellLinkA* asLink(ComInterface* link) { return reinterpret_cast<IShellLinkA*>(link); }
IPersistFile* asPersistFile(ComInterface* file) { return reinterpret_cast<IPersistFile*>(file); }
} // namespace

void Win32ShellOperations::coInitialize() { CoInitialize(nullptr); }

long Win32ShellOperations::createShellLink(ComInterface*& link) {
    void* object = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, &object);
    link = SUCCEEDED(result) ? static_cast<ComInterface*>(object) : nullptr;
    return result;
}

void Win32ShellOperations::setLinkPath(ComInterface* link, const std::string& path) {
    asLink(link)->SetPath(path.c_str());
}

void Win32ShellOperations::setLinkWorkingDirectory(ComInterface* link,
                                                   const std::string& directory) {
    asLink(link)->SetWorkingDirectory(directory.c_str());
}

void Win32ShellOperations::setLinkDescription(ComInterface* link,
                                              const std::string& description) {
    asLink(link)->SetDescription(description.c_str());
}

long Win32ShellOperations::queryPersistFile(ComInterface* link, ComInterface*& persistFile) {
    void* object = nullptr;
    HRESULT result = asLink(link)->QueryInterface(IID_IPersistFile, &object);
    persistFile = SUCCEEDED(result) ? static_cast<ComInterface*>(object) : nullptr;
    return result;
}

long Win32ShellOperations::savePersistFile(ComInterface* persistFile,
                                           const std::u16string& path) {
    return asPersistFile(persistFile)->Save(reinterpret_cast<LPCOLESTR>(path.c_str()), TRUE);
}

void Win32ShellOperations::release(ComInterface* object) {
    reinterpret_cast<IUnknown*>(object)->Release();
}

std::optional<std::u16string> Win32ShellOperations::widePath(const std::string& path) {
    wchar_t buffer[maxPath];
    // UTF-8 takes no flag but MB_ERR_INVALID_CHARS, and MB_PRECOMPOSED is the default
    // (MultiByteToWideChar documentation).
    DWORD flags = GetACP() == CP_UTF8 ? 0 : MB_PRECOMPOSED;
    // Zero: the path and its terminator do not fit.
    int length = MultiByteToWideChar(CP_ACP, flags, path.c_str(), -1, buffer, maxPath);
    if (length == 0)
        return std::nullopt;
    return std::u16string(buffer, buffer + length - 1);
}
