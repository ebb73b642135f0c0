// The layouts of the two windows, in pixels at 96 pixels per inch. Each is a template over its
// form so the tables can name the form's handlers; main.cpp and about.cpp instantiate them.
#pragma once

#include "layout.h"
#include "resource.h"

// Captions and font names stay ASCII: GDI's A calls read them in the system's code page, not
// the process's UTF-8 ("Use UTF-8 code pages in Windows apps").
inline constexpr FontLayout windowFont{"MS Sans Serif", 8};

template <class F> inline constexpr MenuItemLayout<F> mainMenu[] = {
    {"mnuAbout", "&About", &F::mnuAboutClick},
};

// Tab order differs from the visual order: Desktop Icon and Exit come before the documents.
template <class F> inline constexpr ControlLayout<F> mainControls[] = {
    {.name = "Image1", .kind = ControlKind::picture, .left = 1, .top = 0, .width = 246,
     .height = 146, .caption = "The Realm of Morva", .onDblClick = &F::Image1DblClick,
     .image = IDB_ARTWORK},
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
    .caption = "The Realm of Morva (c) Morva Studio",
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

template <class F> inline constexpr ControlLayout<F> aboutControls[] = {
    {"Label2", ControlKind::label, 5, 0, 99, 13, "The Realm of Morva "},
    {"Label5", ControlKind::label, 7, 17, 180, 13, "(c) 2026 Morva Studio "},
    {.name = "Image1", .kind = ControlKind::picture, .left = 146, .top = 33, .width = 32,
     .height = 32, .caption = "The Realm of Morva", .image = IDI_MORVA},
    {"Label1", ControlKind::label, 4, 54, 95, 13, "Windows Launcher "},
    {"Label3", ControlKind::label, 4, 71, 110, 13, "(c) 2026 Quillet "},
    {.name = "lblLink2URL", .kind = ControlKind::label, .left = 4, .top = 88, .width = 111,
     .height = 13, .caption = "Quillet on the Internet ", .onClick = &F::lblLink2URLClick,
     .onMouseMove = &F::lblLink2URLMouseMove, .font = {"MS Sans Serif", 9}, .handCursor = true},
    {.name = "BitBtn1", .kind = ControlKind::glyphButton, .left = 138, .top = 77, .width = 50,
     .height = 25, .caption = "OK", .tabOrder = 0, .onClick = &F::BitBtn1Click,
     .image = IDB_CHECK, .isDefault = true, .modalResult = ModalResult::ok},
};

template <class F> inline constexpr FormLayout<F> aboutLayout{
    .className = "TfrmAbout",
    .caption = "About",
    .border = Border::dialog,
    .background = Colour::buttonFace,
    .font = windowFont,
    .clientWidth = 191,
    .clientHeight = 105,
    .controls = aboutControls<F>,
    .onMouseMove = &F::FormMouseMove,
};
