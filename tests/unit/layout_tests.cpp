#include "layout.h"

#include <gtest/gtest.h>

namespace {

TEST(ExceptionBoxText, AddsAFullStopByUnsignedByteOrder) {
    struct Case {
        std::string message, expected;
    } cases[] = {
        {"Disk full", "Disk full."},          // letter
        {"Error 42", "Error 42."},            // digit
        {"Why?", "Why?."},                    // "?" is above "."
        {"Done.", "Done."},                   // already a full stop
        {"Stop!", "Stop!"},                   // "!" is below "."
        {"(see log)", "(see log)"},           // ")" is below "."
        {"Datei f\xfcr", "Datei f\xfcr."},    // accented letter, above 0x7F
        {"Ende \x80", "Ende \x80."},          // the lowest byte above 0x7F
        {"a,", "a,"},                         // "," is below "."
        {"a/", "a/."},                        // "/" is just above "."
        {"", ""},                             // empty stays empty
    };
    for (const Case& c : cases)
        EXPECT_EQ(exceptionBoxText(c.message), c.expected) << "message \"" << c.message << "\"";
}

TEST(ScaleValue, MultipliesByMeasuredOverThirteenRounded) {
    struct Case {
        int value, measured, expected;
    } cases[] = {
        {323, 13, 323}, // the design density changes nothing
        {323, 16, 398}, // 397.54
        {143, 16, 176}, // 176.00
        {75, 20, 115},  // 115.38
        {247, 19, 361}, // 360.99
        {13, 19, 19},   {1, 20, 2},  // 1.54 rounds up
        {0, 20, 0},     {2, 10, 2},  // a smaller font shrinks: 1.54
        {20, 10, 15},   // 15.38
    };
    for (const Case& c : cases)
        EXPECT_EQ(scaleValue(c.value, c.measured), c.expected)
            << c.value << " at measured height " << c.measured;
}

// Every font, the window's and a control's own, at its point size for the density.
TEST(Scale, FontHeightsAreThePointSizeAtTheDensity) {
    struct Case {
        int dpi, points, expected;
    } cases[] = {
        {96, 8, 11},  {96, 9, 12},  {120, 8, 13}, {120, 9, 15}, // 13.33, 15.00
        {144, 8, 16}, {144, 9, 18}, {168, 8, 19}, {168, 9, 21}, // 18.67, 21.00
        {192, 8, 21}, {192, 9, 24}, {240, 8, 27}, {288, 9, 36}, // 21.33, 26.67
    };
    for (const Case& c : cases)
        EXPECT_EQ((Scale{.dpi = c.dpi}.fontHeight(c.points)), c.expected)
            << c.points << " points at " << c.dpi;
}

// A caption's marks, read one way for its accelerator and for the text shown, measured and read
// to a screen reader.
TEST(CaptionMarks, TheLetterAfterASingleAmpersandAndTheTextShown) {
    struct Case {
        const char* caption;
        char accelerator;
        const char* shown;
    } cases[] = {
        {"&Single Play", 'S', "Single Play"},
        {"E&xit", 'X', "Exit"},
        {"&about", 'A', "about"},
        {"Credits", 0, "Credits"},
        {"Fish && Chips", 0, "Fish & Chips"},
        {"A && &B", 'B', "A & B"},
        {"Trailing&", 0, "Trailing"},
        {"", 0, ""},
        {"Quillet on the &Internet ", 'I', "Quillet on the Internet "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(acceleratorOf(c.caption), c.accelerator) << c.caption;
        EXPECT_EQ(shownTextOf(c.caption), c.shown) << c.caption;
    }
}

} // namespace
