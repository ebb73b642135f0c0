// The program's entry point: the application object, the main window, the message loop.
#include "about.h"
#include "main.h"
#include "resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ApplicationShellOperations shell;
    ScopedShellOperations installed(shell);
    Application application;
    // Anything thrown while starting or running ends the sequence, shown in the exception box
    // under the title the application has by then.
    guarded([&] {
        application.initialize(instance, IDI_MORVA);
        application.setTitle("The Realm of Morva");
        frmMain = &application.createForm<TfrmMain>();
        frmAbout = &application.createForm<TfrmAbout>();
        application.run();
    });
    return 0;
}
