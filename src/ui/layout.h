// Window layouts as data, and the rules the windowing layer applies to them that need no
// Windows: scaling, captions and their accelerators, the exception box's text. Layouts are in
// pixels at 96 pixels per inch.
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

// A font: the window's names both; a control's own, its size and, where it names none, the
// window's face in whatever form the density has it in (Scale::face).
struct FontLayout {
    std::string_view face{};
    int pointSize = 0; // a control's own: 0, the window's font
};

// The glyph button's picture beside its caption: its bitmap and the one it shows disabled, and
// the inset of its focus rectangle.
struct GlyphLayout {
    int image = 0, disabledImage = 0;
    int size = 0, spacing = 0, focusInset = 0;
};

// One control's design: the row a form reads wherever it needs it. Which handler its events
// run is its form's to say (Binding, windowing/form.h).
struct ControlLayout {
    std::string_view name;
    ControlKind kind;
    int left, top;
    int width = 0, height = 0; // a label's are its caption's, measured: its row gives none
    std::string_view caption;  // a picture's is never drawn: it names it for screen readers
    int tabOrder = -1;         // -1: never takes the focus
    int bitmap = 0, icon = 0;  // a picture's resource: a bitmap, stretched; or an icon, per density
    FontLayout font{};
    bool handCursor = false, isDefault = false, isCancel = false;
    ModalResult modalResult = ModalResult::none;
    GlyphLayout glyph{};
};

struct MenuItemLayout {
    std::string_view name, caption;
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
};

// Each form's layout, specialised for it in resources/layouts.h.
template <class F> extern const FormLayout layoutOf;

// The index of the control named `name`, taken as a constant where it is used (control<name>,
// FormOf), so that a name the layout lacks does not compile.
constexpr int controlIndex(std::span<const ControlLayout> controls, std::string_view name) {
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].name == name)
            return static_cast<int>(i);
    throw "the layout has no control of that name";
}

// What a binding's name stands for in a layout, taken as a constant in the same way: one of its
// controls, one of its menu items, or (empty) the form itself.
struct Target {
    int control = -1, menuItem = -1;
};
constexpr Target targetOf(const FormLayout& layout, std::string_view name) {
    for (size_t i = 0; i < layout.menu.size(); ++i)
        if (layout.menu[i].name == name)
            return {.menuItem = static_cast<int>(i)};
    return name.empty() ? Target{} : Target{.control = controlIndex(layout.controls, name)};
}

// The height of "0" in the 8-point window font at 96 pixels per inch: the unit layouts are
// designed in.
inline constexpr int designTextHeight = 13;

// A layout value scaled for a window font whose "0" is `measuredTextHeight` pixels high,
// rounded to the nearest whole pixel or point.
int scaleValue(int value, int measuredTextHeight);

// The one rule a form is laid out by at a density, worked out once from its window font: every
// font is asked at its point size for the density, in the face the window's font has there;
// every position and size is multiplied by the height of "0" measured in that font over
// designTextHeight.
struct Scale {
    int dpi = 96;
    int measuredTextHeight = designTextHeight;
    std::string_view face{}; // the window's, as the density has it (a raster face or its twin)
    int operator()(int value) const { return scaleValue(value, measuredTextHeight); }
    // A point size's pixel height at the density, rounded as Windows' MulDiv rounds.
    int fontHeight(int pointSize) const;
};

// A caption's marks: the letter after a single "&" is its accelerator, "&&" is one literal "&".
// Its accelerator, upper-cased, 0 when it has none; and the text shown, without the marks.
// Drawn, measured, read to a screen reader and pressed, every caption goes through Caption
// (windowing/support.h), which reads the marks by these two.
char acceleratorOf(std::string_view caption);
std::string shownTextOf(std::string_view caption);

// The exception box's text: the message, with a full stop added when it is not empty and its
// last byte is above "." (letters, digits, "?", and every byte above 0x7F).
std::string exceptionBoxText(std::string message);
