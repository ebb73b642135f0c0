// Stands in for duke3d.exe, setup.exe, the text viewer and the browser in a test package
// folder: appends its full command line and current directory to standin.log beside itself, in
// UTF-8 from the wide calls, so that no folder name loses a letter to the system's code page.
// With MORVA_STANDIN_SHOW set (the demo package) it also shows them in a message box.
// A GUI-subsystem program that opens no window, so starting it does not take the activation
// away from the launcher under Wine.
#include <windows.h>

#include <string>
#include <vector>

namespace {

// Its own full path: the package folder may be deeper than MAX_PATH allows a file in it, and
// the ANSI call would cut the path short there.
std::wstring ownPath() {
    std::vector<wchar_t> buffer(32768);
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), length);
}

std::wstring currentDirectory() {
    std::vector<wchar_t> buffer(32768);
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    return std::wstring(buffer.data(), length);
}

std::string utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> buffer(size > 0 ? size : 1);
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer.data(), size, nullptr, nullptr);
    return buffer.data();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::wstring self = ownPath();
    std::wstring folder = self.substr(0, self.rfind(L'\\') + 1);
    // The verbatim prefix lifts the MAX_PATH limit from the log's path.
    std::wstring log = (folder.rfind(L"\\\\", 0) == 0 ? L"" : L"\\\\?\\") + folder + L"standin.log";

    std::wstring directory = currentDirectory();
    std::string record = utf8(GetCommandLineW() + (L"\t" + directory) + L"\n");

    // Several stand-ins may start at once; retry while another holds the log open.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
            CloseHandle(file);
            break;
        }
        Sleep(10);
    }

    if (GetEnvironmentVariableA("MORVA_STANDIN_SHOW", nullptr, 0) != 0) {
        std::wstring text = self.substr(self.rfind(L'\\') + 1) + L" was started with:\n\n" +
                            GetCommandLineW() + L"\n\nin the folder:\n\n" + directory;
        MessageBoxW(nullptr, text.c_str(), L"Stand-in for the game", MB_ICONINFORMATION);
    }
    return 0;
}
