// The layouts of the two windows, in pixels at 96 pixels per inch; each row names its form's
// handlers.
#pragma once

#include "about.h"
#include "layout.h"
#include "main.h"
#include "resource.h"

// Captions and font names stay ASCII: GDI's A calls read them in the system's code page, not
// the process's UTF-8 ("Use UTF-8 code pages in Windows apps").
inline constexpr FontLayout windowFont{"MS Sans Serif", 8};

inline constexpr MenuItemLayout mainMenu[] = {
    {"mnuAbout", "&About", handler<&TfrmMain::mnuAboutClick>},
};

// Tab order differs from the visual order: Desktop Icon and Exit come before the documents.
inline constexpr ControlLayout mainControls[] = {
    {.name = "Image1", .kind = ControlKind::picture, .left = 1, .top = 0, .width = 246,
     .height = 146, .caption = "The Realm of Morva",
     .onDblClick = handler<&TfrmMain::Image1DblClick>, .image = IDB_ARTWORK},
    {"btnSinglePlay", ControlKind::pushButton, 247, 2, 75, 20, "&Single Play", 0,
     handler<&TfrmMain::btnSinglePlayClick>},
    {"btnMultiPlay", ControlKind::pushButton, 247, 22, 75, 20, "&Multi Play", 1,
     handler<&TfrmMain::btnMultiPlayClick>},
    {"btnReadme", ControlKind::pushButton, 247, 42, 75, 20, "&Readme", 4,
     handler<&TfrmMain::btnReadmeClick>},
    {"btnCredits", ControlKind::pushButton, 247, 62, 75, 20, "Credits", 5,
     handler<&TfrmMain::btnCreditsClick>},
    {"btnIntview", ControlKind::pushButton, 247, 82, 75, 20, "Interview", 6,
     handler<&TfrmMain::btnIntviewClick>},
    {"btnDesktopIcon", ControlKind::pushButton, 247, 102, 75, 20, "&Desktop Icon", 2,
     handler<&TfrmMain::btnDesktopIconClick>},
    {"btnExit", ControlKind::pushButton, 247, 122, 75, 20, "E&xit", 3,
     handler<&TfrmMain::btnExitClick>},
};

inline constexpr FormLayout mainLayout{
    .className = "TfrmMain",
    .caption = "The Realm of Morva (c) Morva Studio",
    .border = Border::single,
    .background = Colour::black,
    .font = windowFont,
    .clientWidth = 323,
    .clientHeight = 143,
    .icon = IDI_MORVA,
    .menu = mainMenu,
    .controls = mainControls,
    .activeControl = "btnSinglePlay",
    .onActivate = handler<&TfrmMain::FormActivate>,
};

inline constexpr ControlLayout aboutControls[] = {
    {"Label2", ControlKind::label, 5, 0, 99, 13, "The Realm of Morva "},
    {"Label5", ControlKind::label, 7, 17, 180, 13, "(c) 2026 Morva Studio "},
    {.name = "Image1", .kind = ControlKind::picture, .left = 146, .top = 33, .width = 32,
     .height = 32, .caption = "The Realm of Morva", .image = IDI_MORVA},
    {"Label1", ControlKind::label, 4, 54, 95, 13, "Windows Launcher "},
    {"Label3", ControlKind::label, 4, 71, 110, 13, "(c) 2026 Quillet "},
    {.name = "lblLink2URL", .kind = ControlKind::label, .left = 4, .top = 88, .width = 111,
     .height = 13, .caption = "Quillet on the Internet ",
     .onClick = handler<&TfrmAbout::lblLink2URLClick>,
     .onMouseMove = handler<&TfrmAbout::lblLink2URLMouseMove>, .font = {"MS Sans Serif", 9},
     .handCursor = true},
    {.name = "BitBtn1", .kind = ControlKind::glyphButton, .left = 138, .top = 77, .width = 50,
     .height = 25, .caption = "OK", .tabOrder = 0, .onClick = handler<&TfrmAbout::BitBtn1Click>,
     .image = IDB_CHECK, .isDefault = true, .modalResult = ModalResult::ok,
     .glyph = {.size = 18, .spacing = 4, .focusInset = 3}},
};

inline constexpr FormLayout aboutLayout{
    .className = "TfrmAbout",
    .caption = "About",
    .border = Border::dialog,
    .background = Colour::buttonFace,
    .font = windowFont,
    .clientWidth = 191,
    .clientHeight = 105,
    .controls = aboutControls,
    .onMouseMove = handler<&TfrmAbout::FormMouseMove>,
};
