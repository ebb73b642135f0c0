// Stands in for duke3d.exe, setup.exe and the text viewer in a test package folder: appends
// its full command line and current directory to standin.log beside itself. With
// MORVA_STANDIN_SHOW set (the demo package) it also shows them in a message box.
// A GUI-subsystem program that opens no window, so starting it does not take the activation
// away from the launcher under Wine.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string log(self, length);
    std::string name = log.substr(log.rfind('\\') + 1);
    log = log.substr(0, log.rfind('\\') + 1) + "standin.log";

    char directory[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, directory);
    std::string record = std::string(GetCommandLineA()) + "\t" + directory + "\n";

    // Several stand-ins may start at once; retry while another holds the log open.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
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
        std::string text = name + " was started with:\n\n" + GetCommandLineA() +
                           "\n\nin the folder:\n\n" + directory;
        MessageBoxA(nullptr, text.c_str(), "Stand-in for the game", MB_ICONINFORMATION);
    }
    return 0;
}
