// The program's entry point: the application object, the main window, the message loop.
#include "about.h"
#include "launcher.h"
#include "main.h"
#include "resource.h"
#include "shell_operations_win32.h"
#include "windowing/support.h"

#include <cstdlib>

namespace {

// The program's platform seam: the Win32 backend with its application-owned box bound to the
// application object.
class ApplicationShellOperations : public Win32ShellOperations {
public:
    void appMessageBox(const std::string& text, const std::string& caption,
                       unsigned flags) override {
        Application::instance().messageBox(text, caption, flags);
    }
};

// DLLs loaded from here on, the delay-loaded ones included (their helper calls LoadLibrary),
// come from the system folder only: the package folder, where players drop mods and patches,
// is searched first otherwise (SetDefaultDllDirectories). Windows 7 has the call only with
// update KB2533623: without it the program goes on as before.
void loadDllsFromTheSystemFolderOnly() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    auto setDefaultDllDirectories = systemFunction<SetDefaultDllDirectoriesFunction>(
        "kernel32.dll", "SetDefaultDllDirectories");
    if (setDefaultDllDirectories)
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    loadDllsFromTheSystemFolderOnly();
    ApplicationShellOperations shell;
    ScopedShellOperations installed(shell);
    Application application;
    // Anything thrown while starting or running ends the sequence, shown in the exception box
    // under the title the application has by then.
    guarded([&] {
        // The title first: a failure in initialising already has it for its box's caption.
        application.setTitle("The Realm of Morva");
        application.initialize(instance, IDI_MORVA);
        // Before the main window's profile reads the current directory.
        enterThePackageFolder(application.exeName());
        frmMain = &application.createForm<TfrmMain>();
        frmAbout = &application.createForm<TfrmAbout>();
        application.run();
    });
    return 0;
}

// Nothing the program throws escapes to std::terminate. Should anything ever get there, the
// library's verbose handler would print a demangled type name to a console a GUI program does
// not have, and it brings 37 KB of demangler into the exe; this one stops the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
