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

    // Which handler each event of its layout (layoutOf<TfrmMain>) runs.
    static constexpr Binding<TfrmMain> handlers[] = {
        {"btnSinglePlay", Event::click, &TfrmMain::btnSinglePlayClick},
        {"btnMultiPlay", Event::click, &TfrmMain::btnMultiPlayClick},
        {"btnReadme", Event::click, &TfrmMain::btnReadmeClick},
        {"btnCredits", Event::click, &TfrmMain::btnCreditsClick},
        {"btnIntview", Event::click, &TfrmMain::btnIntviewClick},
        {"Image1", Event::doubleClick, &TfrmMain::Image1DblClick},
        {"btnDesktopIcon", Event::click, &TfrmMain::btnDesktopIconClick},
        {"btnExit", Event::click, &TfrmMain::btnExitClick},
        {"mnuAbout", Event::click, &TfrmMain::mnuAboutClick},
        {"", Event::activate, &TfrmMain::FormActivate},
    };

private:
    // Built after the window and its controls (the base), as it reads the current directory;
    // destroyed before them, when no handler runs any more (FormOf).
    appProperties Properties;
};

// The one main window, owned by the application.
extern TfrmMain* frmMain;
