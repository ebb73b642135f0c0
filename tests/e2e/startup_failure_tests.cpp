// Builds of the launcher that each lack one of its resources: start-up must fail into the
// exception box and end with exit code 0, never crash and never leave a blank window.
#include "win32_support.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct LeftOut {
    std::string name;    // the test's name
    std::string program; // the test build, beside the tests
    std::string text;    // the exception box's text
};

void PrintTo(const LeftOut& row, std::ostream* out) { *out << row.name; }

const LeftOut leftOut[] = {
    {"Icon", "launcher_without_icon.exe", "Cannot load icon 1."},
    {"Artwork", "launcher_without_artwork.exe", "Cannot load bitmap 101."},
    {"Glyph", "launcher_without_glyph.exe", "Cannot load bitmap 102."},
    {"DisabledGlyph", "launcher_without_disabled_glyph.exe", "Cannot load bitmap 103."},
};

struct Shown {
    HWND box = nullptr;
    std::string others; // the thread's other visible windows that have an area
};

// The message box of the process's thread, and anything else it shows meanwhile.
Shown shownBy(DWORD threadId) {
    Shown found;
    for (HWND window : threadWindows(threadId)) {
        if (!IsWindowVisible(window))
            continue;
        std::string name = windowClass(window);
        RECT bounds{};
        GetWindowRect(window, &bounds);
        if (name == "#32770")
            found.box = window;
        else if (bounds.right > bounds.left && bounds.bottom > bounds.top)
            found.others += name + " ";
    }
    return found;
}

class ResourceLeftOut : public ::testing::TestWithParam<LeftOut> {};

TEST_P(ResourceLeftOut, StartUpShowsTheExceptionBoxAndExitsWithZero) {
    const LeftOut& row = GetParam();
    PackageFolder package;
    std::string program = testBinaryDirectory() + row.program;
    StartedProcess process;
    ASSERT_EQ(process.start(program, package.path()), "");

    Shown shown;
    waitUntil([&] { return (shown = shownBy(process.threadId())).box || !process.running(); },
              std::chrono::seconds(20));
    ASSERT_NE(shown.box, nullptr) << "no exception box";
    SeenBox seen = readMessageBox(shown.box);
    EXPECT_EQ(seen.caption, "The Realm of Morva");
    EXPECT_EQ(seen.text, row.text);
    EXPECT_EQ(shown.others, "") << "shown beside the box";

    PostMessageA(shown.box, WM_COMMAND, IDOK, 0);
    std::optional<DWORD> exitCode = process.waitForExit(std::chrono::seconds(20));
    ASSERT_TRUE(exitCode.has_value()) << "still running after the box was closed";
    EXPECT_EQ(*exitCode, 0u);
}

INSTANTIATE_TEST_SUITE_P(TestBuilds, ResourceLeftOut, ::testing::ValuesIn(leftOut),
                         [](const auto& info) { return info.param.name; });

} // namespace
