// The layouts of the two windows, in pixels at 96 pixels per inch. Each is a template over its
// form so the tables can name the form's handlers; main.cpp and about.cpp instantiate them.
#pragma once

#include "layout.h"
#include "resource.h"

inline constexpr FontLayout windowFont{"MS Sans Serif", 8};

template <class F> inline constexpr MenuItemLayout<F> mainMenu[] = {
    {"mnuAbout", "&About", &F::mnuAboutClick},
};

// Tab order differs from the visual order: Desktop Icon and Exit come before the documents.
template <class F> inline constexpr ControlLayout<F> mainControls[] = {
    {.name = "Image1", .kind = ControlKind::picture, .left = 1, .top = 0, .width = 246,
     .height = 146, .caption = "", .onDblClick = &F::Image1DblClick, .image = IDB_ARTWORK},
    {"btnSinglePlay", ControlKind::pushButton, 247, 2, 75, 20, "&Single Play", 0,
     &F::btnSinglePlayClick},
    {"btnMultiPlay", ControlKind::pushButton, 247, 22, 75, 20, "&Multi Play", 1,
     &F::btnMultiPlayClick},
    {"btnReadme", ControlKind::pushButton, 247, 42, 75, 20, "&Readme", 4, &F::btnReadmeClick},
    {"btnCredits", ControlKind::pushButton, 247, 62, 75, 20, "Credits", 5, &F::btnCreditsClick},
    {"btnIntview", ControlKind::pushButton, 247, 82, 75, 20, "Interview", 6,
     &F::btnIntviewClick},
    {"btnDesktopIcon", ControlKind::pushButton, 247, 102, 75, 20, "&Desktop Icon", 2,
     &F::btnDesktopIconClick},
    {"btnExit", ControlKind::pushButton, 247, 122, 75, 20, "E&xit", 3, &F::btnExitClick},
};

template <class F> inline constexpr FormLayout<F> mainLayout{
    .className = "TfrmMain",
    .caption = "The Realm of Morva - (c) Morva Studio",
    .border = Border::single,
    .background = Colour::black,
    .font = windowFont,
    .clientWidth = 323,
    .clientHeight = 143,
    .icon = IDI_MORVA,
    .menu = mainMenu<F>,
    .controls = mainControls<F>,
    .activeControl = "btnSinglePlay",
    .onActivate = &F::FormActivate,
};
