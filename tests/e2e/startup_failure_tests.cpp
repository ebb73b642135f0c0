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

// The classes of a thread's visible windows that have an area, its message boxes left out.
std::string shownBeside(DWORD thread) {
    std::string shown;
    for (HWND window : threadWindows(thread)) {
        RECT bounds{};
        if (IsWindowVisible(window) && windowClass(window) != "#32770" &&
            GetWindowRect(window, &bounds) && !IsRectEmpty(&bounds))
            shown += windowClass(window) + " ";
    }
    return shown;
}

class ResourceLeftOut : public ::testing::TestWithParam<LeftOut> {};

TEST_P(ResourceLeftOut, StartUpShowsTheExceptionBoxAndExitsWithZero) {
    const LeftOut& row = GetParam();
    PackageFolder package;
    std::string program = testBinaryDirectory() + row.program;
    StartedProcess process;
    ASSERT_EQ(process.start(program, package.path()), "");

    HWND box = nullptr;
    auto boxOrEnd = [&] {
        for (HWND window : threadWindows(process.threadId()))
            if (isMessageBox(window))
                box = window;
        return box || !process.running();
    };
    waitUntil(boxOrEnd, std::chrono::seconds(20));
    ASSERT_NE(box, nullptr) << "no exception box";
    SeenBox seen = readMessageBox(box);
    EXPECT_EQ(seen.caption, "The Realm of Morva");
    EXPECT_EQ(seen.text, row.text);
    EXPECT_EQ(shownBeside(process.threadId()), "") << "shown beside the box";

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    std::optional<DWORD> exitCode = process.waitForExit(std::chrono::seconds(20));
    ASSERT_TRUE(exitCode.has_value()) << "still running after the box was closed";
    EXPECT_EQ(*exitCode, 0u);
}

INSTANTIATE_TEST_SUITE_P(TestBuilds, ResourceLeftOut, ::testing::ValuesIn(leftOut),
                         [](const auto& info) { return info.param.name; });

} // namespace
