// The layouts of the two windows, in pixels at 96 pixels per inch: design data alone. Each form
// is built on its own layout (FormOf) and says itself which handler each event runs.
#pragma once

#include "layout.h"
#include "resource.h"

class TfrmMain;
class TfrmAbout;

// Captions and font names stay ASCII: GDI's A calls read them in the system's code page, not
// the process's UTF-8 ("Use UTF-8 code pages in Windows apps").
inline constexpr FontLayout windowFont{.face = "MS Sans Serif", .pointSize = 8};

inline constexpr MenuItemLayout mainMenu[] = {
    {.name = "mnuAbout", .caption = "&About"},
};

// Tab order differs from the visual order: Desktop Icon and Exit come before the documents.
inline constexpr ControlLayout mainControls[] = {
    {.name = "Image1", .kind = ControlKind::picture, .left = 1, .top = 0, .width = 246,
     .height = 146, .caption = "The Realm of Morva", .bitmap = IDB_ARTWORK},
    {.name = "btnSinglePlay", .kind = ControlKind::pushButton, .left = 247, .top = 2, .width = 75,
     .height = 20, .caption = "&Single Play", .tabOrder = 0},
    {.name = "btnMultiPlay", .kind = ControlKind::pushButton, .left = 247, .top = 22, .width = 75,
     .height = 20, .caption = "&Multi Play", .tabOrder = 1},
    {.name = "btnReadme", .kind = ControlKind::pushButton, .left = 247, .top = 42, .width = 75,
     .height = 20, .caption = "&Readme", .tabOrder = 4},
    {.name = "btnCredits", .kind = ControlKind::pushButton, .left = 247, .top = 62, .width = 75,
     .height = 20, .caption = "Credits", .tabOrder = 5},
    {.name = "btnIntview", .kind = ControlKind::pushButton, .left = 247, .top = 82, .width = 75,
     .height = 20, .caption = "Interview", .tabOrder = 6},
    {.name = "btnDesktopIcon", .kind = ControlKind::pushButton, .left = 247, .top = 102,
     .width = 75, .height = 20, .caption = "&Desktop Icon", .tabOrder = 2},
    {.name = "btnExit", .kind = ControlKind::pushButton, .left = 247, .top = 122, .width = 75,
     .height = 20, .caption = "E&xit", .tabOrder = 3},
};

template <>
inline constexpr FormLayout layoutOf<TfrmMain>{
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
};

// Labels size themselves to their captions, measured in their fonts.
inline constexpr ControlLayout aboutControls[] = {
    {.name = "Label2", .kind = ControlKind::label, .left = 5, .top = 0,
     .caption = "The Realm of Morva "},
    {.name = "Label5", .kind = ControlKind::label, .left = 7, .top = 17,
     .caption = "(c) 2026 Morva Studio "},
    {.name = "Image1", .kind = ControlKind::picture, .left = 146, .top = 33, .width = 32,
     .height = 32, .caption = "The Realm of Morva", .icon = IDI_MORVA},
    {.name = "Label1", .kind = ControlKind::label, .left = 4, .top = 54,
     .caption = "Windows Launcher "},
    {.name = "Label3", .kind = ControlKind::label, .left = 4, .top = 71,
     .caption = "(c) 2026 Quillet "},
    // In the window's face, at its own size.
    {.name = "lblLink2URL", .kind = ControlKind::label, .left = 4, .top = 88,
     .caption = "Quillet on the Internet ", .font = {.pointSize = 9}, .handCursor = true},
    {.name = "BitBtn1", .kind = ControlKind::glyphButton, .left = 138, .top = 77, .width = 50,
     .height = 25, .caption = "OK", .tabOrder = 0, .isDefault = true,
     .modalResult = ModalResult::ok,
     .glyph = {.image = IDB_CHECK, .disabledImage = IDB_CHECK_DISABLED, .size = 18, .spacing = 4,
               .focusInset = 3}},
};

template <>
inline constexpr FormLayout layoutOf<TfrmAbout>{
    .className = "TfrmAbout",
    .caption = "About",
    .border = Border::dialog,
    .background = Colour::buttonFace,
    .font = windowFont,
    .clientWidth = 191,
    .clientHeight = 105,
    .controls = aboutControls,
};
