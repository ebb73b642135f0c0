// The About dialog: the package, the launcher's author and a link to the author's web page.
#pragma once

#include "windowing.h"

class TfrmAbout : public FormOf<TfrmAbout> {
public:
    TfrmAbout();

    void lblLink2URLClick();
    void lblLink2URLMouseMove();
    void FormMouseMove();
    void BitBtn1Click();

    // Which handler each event of its layout (layoutOf<TfrmAbout>) runs.
    static constexpr Binding<TfrmAbout> handlers[] = {
        {"lblLink2URL", Event::click, &TfrmAbout::lblLink2URLClick},
        {"lblLink2URL", Event::mouseMove, &TfrmAbout::lblLink2URLMouseMove},
        {"", Event::mouseMove, &TfrmAbout::FormMouseMove},
        {"BitBtn1", Event::click, &TfrmAbout::BitBtn1Click},
    };
};

// The one About dialog, owned by the application.
extern TfrmAbout* frmAbout;
