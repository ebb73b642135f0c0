#include "about.h"

#include "launcher.h"
#include "layouts.h"

TfrmAbout* frmAbout = nullptr;

TfrmAbout::TfrmAbout() = default;

void TfrmAbout::lblLink2URLClick() {
    msShell launcher;
    launcher.Launch(std::string(authorWebPageAction.name),
                    std::string(authorWebPageAction.parameters));
}

// Red while the pointer is on the link; it stays red until the pointer crosses bare
// background, since labels, the picture and the button keep their pointer movement.
void TfrmAbout::lblLink2URLMouseMove() {
    control<"lblLink2URL">().setFontColour(Colour::red);
}

void TfrmAbout::FormMouseMove() {
    control<"lblLink2URL">().setFontColour(Colour::windowText);
}

void TfrmAbout::BitBtn1Click() { close(); }
