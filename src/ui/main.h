// The launcher's main window: the artwork and a column of buttons, each starting one of the
// launch actions, and the About menu item.
#pragma once

#include "launcher.h"
#include "windowing.h"

class TfrmMain : public FormOf<TfrmMain> {
public:
    TfrmMain();
    ~TfrmMain() override = default;

    void btnSinglePlayClick();
    void btnMultiPlayClick();
    void btnReadmeClick();
    void btnCreditsClick();
    void btnIntviewClick();
    void Image1DblClick();
    void btnDesktopIconClick();
    void btnExitClick();
    void mnuAboutClick();
    void FormActivate();

private:
    // Built after the window and its controls (the base), as it reads the current directory;
    // destroyed before them.
    appProperties Properties;
};

// The one main window, owned by the application.
extern TfrmMain* frmMain;
