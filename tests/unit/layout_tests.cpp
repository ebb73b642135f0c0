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

TEST(DesignPixelHeight, IsThePointSizeAtNinetySixDpi) {
    EXPECT_EQ(designPixelHeight(8), 11);
    EXPECT_EQ(designPixelHeight(9), 12);
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
