// The real MorvaLauncher.exe, started in package folders and driven with real input.
//
// One table: (folder shape) x (how an action is triggered) x (what must happen). Each folder
// shape gets one package folder, one launcher and its rows in order; a row that must start
// nothing is confirmed by the rows after it and by the final count of starts.
#include "launcher_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>

namespace {

const std::string gameArguments = "/xmorva.con /gmorva.grp /dmorva.dmo";
const std::string setupArguments = "/xmorva.con /gmorva.grp";
const std::string demoArguments = "/xmorva.con /gmorva.grp /dmorva.amo";

// The stand-ins a package can hold, and its documents; the viewer is ours, always there.
const std::vector<std::string> packagePrograms = {"duke3d.exe", "setup.exe"};
const std::vector<std::string> packageDocuments = {"Morva.txt", "Morvcrd.txt", "Morvint.txt"};
const std::string viewerName = "viewer.exe";

// A point well inside the artwork, which covers (1,0)-(247,146) of the client area.
constexpr POINT artworkPoint{124, 73};

// --- Folder shapes --------------------------------------------------------------------------

struct FolderShape {
    std::string name;                 // the test's name
    std::string leaf;                 // the package folder's own name
    std::vector<std::string> missing; // package files left out
};

const FolderShape folderShapes[] = {
    {"Complete", "Morva", {}},
    {"FolderNameWithSpaces", "The Realm of Morva", {}},
    {"WithoutSetup", "Morva", {"setup.exe"}},
    {"WithoutGameOrDocuments", "Morva", {"duke3d.exe", "Morva.txt", "Morvcrd.txt", "Morvint.txt"}},
};

// Test names carry the shape's name; this keeps its bytes out of them.
void PrintTo(const FolderShape& shape, std::ostream* out) { *out << shape.name; }

// A package folder built to a shape, with the .txt viewer pointed at its own stand-in.
class Package {
public:
    explicit Package(const FolderShape& shape) : folder_(shape.leaf) {
        auto wanted = [&](const std::string& name) {
            return std::find(shape.missing.begin(), shape.missing.end(), name) ==
                   shape.missing.end();
        };
        for (const std::string& name : packagePrograms)
            if (wanted(name))
                addStandIn(name);
        addStandIn(viewerName);
        for (const std::string& name : packageDocuments)
            if (wanted(name))
                addFile(name, "The Realm of Morva: " + name + "\r\n");
        association_ = std::make_unique<OpenCommand>(fileTypeOf(".txt"), folder_.file(viewerName));
    }

    // The folder the launcher starts in, as it sees it.
    const std::string& directory() const { return folder_.path(); }
    // A package file's full path as the launcher builds it.
    std::string file(const std::string& name) const { return baseDirOf(directory()) + name; }
    const PackageFolder& folder() const { return folder_; }
    const OpenCommand& association() const { return *association_; }
    // What the test put there, sorted; standin.log once something started.
    std::vector<std::string> expectedEntries(bool anythingStarted) const {
        std::vector<std::string> names = placed_;
        if (anythingStarted)
            names.push_back("standin.log");
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    void addStandIn(const std::string& name) {
        folder_.addStandIn(name);
        placed_.push_back(name);
    }
    void addFile(const std::string& name, const std::string& contents) {
        folder_.addFile(name, contents);
        placed_.push_back(name);
    }

    PackageFolder folder_;
    std::vector<std::string> placed_;
    std::unique_ptr<OpenCommand> association_;
};

// --- Actions --------------------------------------------------------------------------------

enum class Trigger { click, doubleClick, key, altKey, clickArtwork, doubleClickArtwork };

struct Action {
    Trigger trigger;
    std::string button; // the button's caption, for clicks
    char key = 0;       // the letter, for keys
};

Action click(const std::string& caption) { return {Trigger::click, caption}; }
Action doubleClick(const std::string& caption) { return {Trigger::doubleClick, caption}; }
Action key(char letter) { return {Trigger::key, {}, letter}; }
Action altKey(char letter) { return {Trigger::altKey, {}, letter}; }
Action clickArtwork() { return {Trigger::clickArtwork, {}}; }
Action doubleClickArtwork() { return {Trigger::doubleClickArtwork, {}}; }

std::ostream& operator<<(std::ostream& out, const Action& action) {
    switch (action.trigger) {
    case Trigger::click:
        return out << "click on \"" << action.button << "\"";
    case Trigger::doubleClick:
        return out << "double-click on \"" << action.button << "\"";
    case Trigger::key:
        return out << "key " << action.key;
    case Trigger::altKey:
        return out << "Alt+" << action.key;
    case Trigger::clickArtwork:
        return out << "click on the artwork";
    case Trigger::doubleClickArtwork:
        return out << "double-click on the artwork";
    }
    return out;
}

bool byKeyboard(const Action& action) {
    return action.trigger == Trigger::key || action.trigger == Trigger::altKey;
}

std::string perform(LauncherProcess& launcher, const Action& action) {
    switch (action.trigger) {
    case Trigger::click:
        return launcher.clickButton(action.button);
    case Trigger::doubleClick:
        return launcher.doubleClickButton(action.button);
    case Trigger::key:
        return launcher.pressKey(static_cast<WORD>(action.key));
    case Trigger::altKey:
        return launcher.pressAltKey(static_cast<WORD>(action.key));
    case Trigger::clickArtwork:
        return launcher.clickAt(artworkPoint);
    case Trigger::doubleClickArtwork:
        return launcher.doubleClickAt(artworkPoint);
    }
    return "unknown trigger";
}

// --- Outcomes -------------------------------------------------------------------------------

enum class Result { starts, opens, fileError, nothing };

struct Outcome {
    Result result;
    std::string file;      // the program or document started, or the one reported missing
    std::string arguments; // the program's exact argument string
    size_t count = 1;      // how many starts
};

Outcome starts(const std::string& program, const std::string& arguments, size_t count = 1) {
    return {Result::starts, program, arguments, count};
}
// A document, opened by the viewer with its full path.
Outcome opens(const std::string& document) { return {Result::opens, document, {}}; }
Outcome fileError(const std::string& file) { return {Result::fileError, file, {}}; }
Outcome nothing() { return {Result::nothing, {}, {}}; }

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
    switch (outcome.result) {
    case Result::starts:
        return out << outcome.count << " start(s) of " << outcome.file << " \""
                   << outcome.arguments << "\"";
    case Result::opens:
        return out << "the viewer opening " << outcome.file;
    case Result::fileError:
        return out << "the File Error box for " << outcome.file;
    case Result::nothing:
        return out << "nothing";
    }
    return out;
}

// --- The table ------------------------------------------------------------------------------

struct Case {
    std::string shape;
    Action action;
    Outcome expected;
};

const Case cases[] = {
    // Keys first, while nothing has the focus.
    {"Complete", key('S'), starts("duke3d.exe", gameArguments)},
    {"Complete", altKey('S'), starts("duke3d.exe", gameArguments)},
    {"Complete", key('M'), starts("setup.exe", setupArguments)},
    {"Complete", altKey('M'), starts("setup.exe", setupArguments)},
    {"Complete", key('R'), opens("Morva.txt")},
    {"Complete", altKey('R'), opens("Morva.txt")},
    {"Complete", clickArtwork(), nothing()},
    {"Complete", doubleClickArtwork(), starts("duke3d.exe", demoArguments)},
    {"Complete", click("&Single Play"), starts("duke3d.exe", gameArguments)},
    {"Complete", click("&Single Play"), starts("duke3d.exe", gameArguments)},
    {"Complete", doubleClick("&Single Play"), starts("duke3d.exe", gameArguments, 2)},
    {"Complete", click("&Multi Play"), starts("setup.exe", setupArguments)},
    {"Complete", click("&Readme"), opens("Morva.txt")},
    {"Complete", click("Credits"), opens("Morvcrd.txt")},
    {"Complete", click("Interview"), opens("Morvint.txt")},
    {"Complete", doubleClickArtwork(), starts("duke3d.exe", demoArguments)},
    {"Complete", clickArtwork(), nothing()},
    // Keys again, now with a button focused by the clicks.
    {"Complete", key('S'), starts("duke3d.exe", gameArguments)},
    {"Complete", altKey('M'), starts("setup.exe", setupArguments)},

    {"FolderNameWithSpaces", click("&Single Play"), starts("duke3d.exe", gameArguments)},
    {"FolderNameWithSpaces", key('M'), starts("setup.exe", setupArguments)},
    {"FolderNameWithSpaces", doubleClickArtwork(), starts("duke3d.exe", demoArguments)},
    {"FolderNameWithSpaces", altKey('R'), opens("Morva.txt")},
    {"FolderNameWithSpaces", click("Credits"), opens("Morvcrd.txt")},

    {"WithoutSetup", click("&Multi Play"), fileError("setup.exe")},
    {"WithoutSetup", key('M'), fileError("setup.exe")},
    {"WithoutSetup", altKey('M'), fileError("setup.exe")},
    {"WithoutSetup", click("&Single Play"), starts("duke3d.exe", gameArguments)},
    {"WithoutSetup", key('S'), starts("duke3d.exe", gameArguments)},
    {"WithoutSetup", doubleClickArtwork(), starts("duke3d.exe", demoArguments)},
    {"WithoutSetup", click("&Readme"), opens("Morva.txt")},

    {"WithoutGameOrDocuments", click("&Single Play"), fileError("duke3d.exe")},
    {"WithoutGameOrDocuments", altKey('S'), fileError("duke3d.exe")},
    {"WithoutGameOrDocuments", doubleClickArtwork(), fileError("duke3d.exe")},
    {"WithoutGameOrDocuments", key('R'), fileError("Morva.txt")},
    {"WithoutGameOrDocuments", click("Credits"), fileError("Morvcrd.txt")},
    {"WithoutGameOrDocuments", click("Interview"), fileError("Morvint.txt")},
    {"WithoutGameOrDocuments", click("&Multi Play"), starts("setup.exe", setupArguments)},
};

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return "[" + text + "]";
}

std::string joined(const std::vector<StandInStart>& starts) {
    std::string text;
    for (const StandInStart& start : starts)
        text += "\n  " + start.program + " | " + start.arguments + " | " + start.directory;
    return text.empty() ? "(no starts)" : text;
}

// Runs one row against a running launcher. `startsSoFar` is the number of starts the rows
// before have made; it follows what was actually recorded, so one wrong row does not spoil
// the judgement of the next.
void runCase(const Case& c, const Package& package, LauncherProcess& launcher,
             size_t& startsSoFar) {
    std::string focusBefore = launcher.focused();
    EXPECT_EQ(perform(launcher, c.action), "");

    switch (c.expected.result) {
    case Result::starts:
    case Result::opens: {
        size_t wanted = startsSoFar + c.expected.count;
        std::vector<StandInStart> got = package.folder().waitForStarts(wanted);
        EXPECT_EQ(got.size(), wanted) << "starts recorded:" << joined(got);
        StandInStart expected;
        if (c.expected.result == Result::starts) {
            expected = {package.file(c.expected.file), c.expected.arguments, package.directory()};
        } else {
            expected = {package.file(viewerName), "\"" + package.file(c.expected.file) + "\"",
                        package.directory()};
        }
        // The newest starts are this row's: a stray one from an earlier row is only counted.
        size_t first = got.size() > c.expected.count ? got.size() - c.expected.count : 0;
        for (size_t i = std::max(first, startsSoFar); i < got.size(); ++i) {
            EXPECT_EQ(got[i].program, expected.program) << "start " << i + 1;
            EXPECT_EQ(got[i].arguments, expected.arguments) << "start " << i + 1;
            EXPECT_EQ(got[i].directory, expected.directory) << "start " << i + 1;
        }
        startsSoFar = got.size();
        break;
    }
    case Result::fileError: {
        LauncherBox box = launcher.waitForMessageBox("File Error");
        EXPECT_NE(box.window, nullptr) << "no File Error box; the launcher's windows:"
                                       << launcher.windowsReport();
        if (box.window) {
            EXPECT_EQ(box.seen.text, "Cannot find the file..." + package.file(c.expected.file));
            EXPECT_EQ(box.seen.owner, nullptr) << "owned by " << launcher.describe(box.seen.owner);
            EXPECT_TRUE(box.mainEnabled) << "the main window was disabled under the box";
            EXPECT_EQ(launcher.dismiss(box.window), "");
        }
        break;
    }
    case Result::nothing: {
        // A start would be on its way by the time the launcher is idle again; a late one still
        // shows in the next row's count and the final one.
        launcher.waitIdle();
        pumpMessages(std::chrono::milliseconds(500));
        std::vector<StandInStart> got = package.folder().starts();
        EXPECT_EQ(got.size(), startsSoFar) << "starts recorded:" << joined(got);
        startsSoFar = got.size();
        break;
    }
    }

    launcher.waitIdle();
    // Nothing else may be left up; an unexpected box is closed so the next rows can run.
    std::vector<std::string> boxes = launcher.openBoxes();
    EXPECT_EQ(joined(boxes), "[]") << "boxes still up";
    for (int attempt = 0; attempt < 5 && !boxes.empty(); ++attempt) {
        if (HWND box = launcher.waitForMessageBox(boxes.front(), std::chrono::seconds(1)).window)
            launcher.dismiss(box);
        boxes = launcher.openBoxes();
    }
    if (byKeyboard(c.action)) {
        EXPECT_EQ(launcher.focused(), focusBefore) << "the key moved the focus";
    }
}

class FolderShapes : public ::testing::TestWithParam<FolderShape> {};

TEST_P(FolderShapes, EveryActionReachesItsOutcome) {
    const FolderShape& shape = GetParam();
    Package package(shape);
    ASSERT_EQ(package.association().error(), "");
    LauncherProcess launcher(package.directory());
    ASSERT_EQ(launcher.startError(), "");
    ASSERT_EQ(launcher.focused(), "(main window)") << "no button has the focus at start";

    size_t starts = 0;
    int rows = 0;
    for (const Case& c : cases) {
        if (c.shape != shape.name)
            continue;
        ++rows;
        std::ostringstream row;
        row << "row " << rows << ": " << c.action << " -> " << c.expected;
        SCOPED_TRACE(row.str());
        runCase(c, package, launcher, starts);
        ASSERT_TRUE(launcher.running()) << "the launcher ended";
    }
    ASSERT_GT(rows, 0) << "no rows for the shape " << shape.name;

    // A late start from a row that had to start nothing shows up here.
    launcher.waitIdle();
    pumpMessages(std::chrono::milliseconds(1000));
    EXPECT_EQ(package.folder().starts().size(), starts)
        << "starts recorded:" << joined(package.folder().starts());

    EXPECT_EQ(launcher.clickButton("E&xit"), "");
    EXPECT_EQ(launcher.waitForExit().value_or(0xDEADBEEF), 0u)
        << "still running with the windows:" << launcher.windowsReport();
    EXPECT_EQ(joined(folderEntries(package.directory())),
              joined(package.expectedEntries(starts > 0)));
}

// Named by index: the test discovery turns "/0  # GetParam() = Complete" into "/Complete".
INSTANTIATE_TEST_SUITE_P(Packages, FolderShapes, ::testing::ValuesIn(folderShapes));

// --- Ending the program ---------------------------------------------------------------------

TEST(LauncherEnds, EveryWayOfClosingEndsWithExitCodeZero) {
    struct Ending {
        const char* name;
        std::function<std::string(LauncherProcess&)> close;
    } endings[] = {
        {"click on Exit", [](LauncherProcess& l) { return l.clickButton("E&xit"); }},
        {"key X", [](LauncherProcess& l) { return l.pressKey('X'); }},
        {"Alt+X", [](LauncherProcess& l) { return l.pressAltKey('X'); }},
        {"WM_CLOSE to the main window",
         [](LauncherProcess& l) {
             l.postToMain(WM_CLOSE);
             return std::string();
         }},
        {"SC_CLOSE to the application window",
         [](LauncherProcess& l) {
             l.postToApp(WM_SYSCOMMAND, SC_CLOSE);
             return std::string();
         }},
    };
    Package package(folderShapes[0]);
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.name);
        LauncherProcess launcher(package.directory());
        ASSERT_EQ(launcher.startError(), "");
        EXPECT_EQ(ending.close(launcher), "");
        EXPECT_EQ(launcher.waitForExit().value_or(0xDEADBEEF), 0u);
        EXPECT_EQ(joined(folderEntries(package.directory())),
                  joined(package.expectedEntries(false)));
    }
}

// --- The windows it shows -------------------------------------------------------------------

std::string windowTextOf(HWND window) {
    char text[256] = "garbage";
    int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

TEST(LauncherWindows, MainWindowOwnedByTheApplicationWindowWithItsButtonsAndMenu) {
    struct Start {
        const char* name;
        std::optional<WORD> showCommand;
    } startsWith[] = {{"no show command", std::nullopt}, {"SW_SHOWNORMAL", SW_SHOWNORMAL}};
    Package package(folderShapes[0]);
    for (const Start& start : startsWith) {
        SCOPED_TRACE(start.name);
        LauncherProcess::Options options;
        options.showCommand = start.showCommand;
        LauncherProcess launcher(package.directory(), options);
        ASSERT_EQ(launcher.startError(), "");

        HWND app = launcher.appWindow();
        ASSERT_NE(app, nullptr) << "no TApplication window";
        EXPECT_EQ(windowTextOf(app), "The Realm of Morva");
        RECT appRect{-1, -1, -1, -1};
        GetWindowRect(app, &appRect);
        EXPECT_EQ(appRect.right - appRect.left, 0) << "application window's width";
        EXPECT_EQ(appRect.bottom - appRect.top, 0) << "application window's height";

        HWND main = launcher.mainWindow();
        EXPECT_EQ(launcher.describe(GetWindow(main, GW_OWNER)), "(application window)");
        std::string caption = windowTextOf(main);
        EXPECT_EQ(caption.rfind("The Realm of Morva", 0), 0u) << "caption: " << caption;
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_TRUE(launcher.mainWindowEnabled());

        std::vector<std::string> captions;
        for (const auto& [text, window] : launcher.buttons())
            captions.push_back(text);
        const std::vector<std::string> expected = {"&Single Play", "&Multi Play", "&Readme",
                                                   "Credits",      "Interview",   "&Desktop Icon",
                                                   "E&xit"};
        EXPECT_EQ(joined(captions), joined(expected));
        // Wine keeps a menu inside its own process: from here only its presence shows.
        EXPECT_NE(GetMenu(main), nullptr) << "no menu bar";
        EXPECT_EQ(launcher.focused(), "(main window)") << "no button has the focus at start";

        launcher.postToMain(WM_CLOSE);
        EXPECT_EQ(launcher.waitForExit().value_or(0xDEADBEEF), 0u);
    }
    EXPECT_EQ(joined(folderEntries(package.directory())), joined(package.expectedEntries(false)));
}

} // namespace
