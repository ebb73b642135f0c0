// Window layouts as data, and the rules the windowing layer applies to them that need no
// Windows: scaling, accelerator letters, the exception box's text. Layouts are in pixels at
// 96 pixels per inch.
#pragma once

#include <span>
#include <string>
#include <string_view>

enum class ControlKind { pushButton, glyphButton, label, picture };

// single: fixed single border with system menu and minimise button.
// dialog: fixed dialog frame with a caption and no system menu.
enum class Border { single, dialog };

// Colours by role; the system colours are read as the window paints, so they follow a change.
enum class Colour { black, buttonFace, windowText, red };

enum class ModalResult { none, ok, cancel };

struct FontLayout {
    std::string_view face; // empty: the window's font
    int pointSize = 0;
};

template <class Form> using Handler = void (Form::*)();

template <class Form> struct ControlLayout {
    std::string_view name;
    ControlKind kind;
    int left, top, width, height; // labels size themselves to their caption
    std::string_view caption;     // a picture's is never drawn: it names it for screen readers
    int tabOrder = -1;            // -1: never takes the focus
    Handler<Form> onClick = nullptr;
    Handler<Form> onDblClick = nullptr;
    Handler<Form> onMouseMove = nullptr;
    int image = 0; // resource id: the picture's bitmap or icon, the glyph button's glyph
    FontLayout font{};
    bool handCursor = false;
    bool isDefault = false;
    bool isCancel = false;
    ModalResult modalResult = ModalResult::none;
};

template <class Form> struct MenuItemLayout {
    std::string_view name;
    std::string_view caption;
    Handler<Form> onClick = nullptr;
};

template <class Form> struct FormLayout {
    std::string_view className;
    std::string_view caption;
    Border border;
    Colour background;
    FontLayout font;
    int clientWidth, clientHeight; // below the menu bar
    int icon = 0;                  // resource id, 0: none
    std::span<const MenuItemLayout<Form>> menu{};
    std::span<const ControlLayout<Form>> controls;
    std::string_view activeControl{}; // initially active control, empty: none
    Handler<Form> onActivate = nullptr;
    Handler<Form> onMouseMove = nullptr;
};

// The height of "0" in the 8-point window font at 96 pixels per inch: the unit layouts are
// designed in.
inline constexpr int designTextHeight = 13;

// A layout value scaled for a window font whose "0" is `measuredTextHeight` pixels high,
// rounded to the nearest whole pixel or point.
int scaleValue(int value, int measuredTextHeight);

// A point size's pixel height at 96 pixels per inch, where layouts are designed.
int designPixelHeight(int pointSize);

// The letter after a single "&" in a caption, upper-cased; 0 when it has none ("&&" is a
// literal ampersand).
char acceleratorOf(std::string_view caption);

// The exception box's text: the message, with a full stop added when it is not empty and its
// last byte is above "." (letters, digits, "?", and every byte above 0x7F).
std::string exceptionBoxText(std::string message);
