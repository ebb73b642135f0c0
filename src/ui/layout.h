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

class Form;
// A form's handler, named by its layout: a member of the form's own class, taken as one of Form's
// (`handler<&TfrmMain::btnExitClick>`), so that one row type serves every form.
using Handler = void (Form::*)();
template <auto member> inline constexpr Handler handler = static_cast<Handler>(member);

// The glyph button's picture beside its caption, and the inset of its focus rectangle.
struct GlyphLayout {
    int size = 0, spacing = 0, focusInset = 0;
};

// One control's design: the row a form reads wherever it needs it.
struct ControlLayout {
    std::string_view name;
    ControlKind kind;
    int left, top, width, height; // labels size themselves to their caption
    std::string_view caption;     // a picture's is never drawn: it names it for screen readers
    int tabOrder = -1;            // -1: never takes the focus
    Handler onClick = nullptr, onDblClick = nullptr, onMouseMove = nullptr;
    int image = 0; // resource id: the picture's bitmap or icon, the glyph button's glyph
    FontLayout font{};
    bool handCursor = false, isDefault = false, isCancel = false;
    ModalResult modalResult = ModalResult::none;
    GlyphLayout glyph{};
};

struct MenuItemLayout {
    std::string_view name, caption;
    Handler onClick = nullptr;
};

struct FormLayout {
    std::string_view className, caption;
    Border border;
    Colour background;
    FontLayout font;
    int clientWidth, clientHeight; // below the menu bar
    int icon = 0;                  // resource id, 0: none
    std::span<const MenuItemLayout> menu{};
    std::span<const ControlLayout> controls;
    std::string_view activeControl{}; // initially active control, empty: none
    Handler onActivate = nullptr, onMouseMove = nullptr;
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
