#include "main.h"

#include "about.h"
#include "shortcut.h"

#include "layouts.h"

TfrmMain* frmMain = nullptr;

TfrmMain::TfrmMain() : Properties(shippedProfile()) {}

void TfrmMain::btnSinglePlayClick() { runLaunchAction(singlePlayAction, Properties); }

void TfrmMain::btnMultiPlayClick() { runLaunchAction(multiplayerSetupAction, Properties); }

void TfrmMain::btnReadmeClick() { runLaunchAction(readmeAction, Properties); }

void TfrmMain::btnCreditsClick() { runLaunchAction(creditsAction, Properties); }

void TfrmMain::btnIntviewClick() { runLaunchAction(interviewAction, Properties); }

void TfrmMain::Image1DblClick() { runLaunchAction(alternativeDemoAction, Properties); }

void TfrmMain::btnDesktopIconClick() {
    runDesktopIconAction(Properties, Application::instance().exeName());
}

void TfrmMain::btnExitClick() { Application::instance().terminate(); }

void TfrmMain::mnuAboutClick() {
    if (frmAbout)
        frmAbout->showModal();
}

void TfrmMain::FormActivate() {
    // Nothing is focused or drawn as the default button until the player picks one.
    setActiveControl(nullptr);
}
