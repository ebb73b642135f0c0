// The real MorvaLauncher.exe, started in package folders and driven with real input.
//
// One table: (folder shape) x (how an action is triggered) x (what must happen). Each folder
// shape gets one package folder, one launcher and its rows in order; a row that must start
// nothing is confirmed by the rows after it and by the final count of starts.
#include "launcher.h"
#include "launcher_driver.h"
#include "layouts.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>

namespace {

const std::string gameArguments = "/xmorva.con /gmorva.grp /dmorva.dmo";
const std::string setupArguments = "/xmorva.con /gmorva.grp";
const std::string demoArguments = "/xmorva.con /gmorva.grp /dmorva.amo";

// The stand-ins a package can hold, and its documents; the viewer and the browser are ours,
// always there.
const std::vector<std::string> packagePrograms = {"duke3d.exe", "setup.exe"};
const std::vector<std::string> packageDocuments = {"Morva.txt", "Morvcrd.txt", "Morvint.txt"};
const std::string viewerName = "viewer.exe";
const std::string browserName = "browser.exe";

// The desktop shortcut's file and what its boxes say.
const std::string linkFileName = "The Realm of Morva.lnk";
const std::string successText =
    "A shortcut to 'The Realm of Morva' has been created on your desktop";
const std::string failureText =
    "Could not create a shortcut to 'The Realm of Morva' on your desktop";

// The middle of a control of the program's layouts, in client pixels at 96 pixels per inch.
consteval POINT middleOf(std::span<const ControlLayout> controls, std::string_view name) {
    const ControlLayout& row = controls[controlIndex(controls, name)];
    if (row.kind == ControlKind::label)
        throw "a label's rectangle is its caption's, laid out: ask the launcher";
    return {row.left + row.width / 2, row.top + row.height / 2};
}
constexpr POINT artworkPoint = middleOf(mainControls, "Image1");

// --- Folder shapes --------------------------------------------------------------------------

// Where the launcher's own executable lives.
enum class LauncherHome {
    buildFolder,  // the built one, beside the tests: another folder than the package's
    package,      // a copy in the package folder, as a player has it
    otherFolder,  // a copy under the shape's file name, in a folder of its own
    otherPackage, // a copy in a folder of its own that holds a game too
};

// Where the launcher is started.
enum class StartIn {
    package,      // the package folder, as a double-click or the link starts it
    systemFolder, // System32, as a Start-menu search starts it
    emptyFolder,  // a folder without the game, as a file manager or a terminal may
};

struct FolderShape {
    std::string name;                      // the test's name
    std::string leaf;                      // the package folder's own name
    std::vector<std::string> missing = {}; // package files left out
    LauncherHome home = LauncherHome::buildFolder;
    StartIn startIn = StartIn::package;
    std::string exeName = "MorvaLauncher.exe"; // the launcher's file name
    char drive = 0;          // a drive letter mapped to the folder: started at its root
    size_t length = 0;       // the current directory's exact length, when it matters
    bool plantedDll = false; // an msimg32.dll of ours beside the launcher, loaded as on Windows
    std::string desktopUser = {}; // the desktop in a user folder of this name, not the prefix's
};

// "Łódź Мир ゲーム", three scripts outside Windows-1252 (every text here is UTF-8).
const std::string threeScripts = "\xC5\x81\xC3\xB3\x64\xC5\xBA \xD0\x9C\xD0\xB8\xD1\x80 "
                                 "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0";
// 125 letters "Ж", 250 bytes in UTF-8 (Linux takes 255 a name): a path past 260 bytes, yet
// well inside Windows' 260 characters.
const std::string cyrillicLetters = [] {
    std::string letters;
    while (letters.size() < 250)
        letters += "\xD0\x96";
    return letters;
}();

const FolderShape folderShapes[] = {
    {.name = "Complete", .leaf = "Morva"},
    {.name = "FolderNameWithSpaces", .leaf = "The Realm of Morva"},
    {.name = "WithoutSetup", .leaf = "Morva", .missing = {"setup.exe"}},
    {.name = "WithoutGameOrDocuments",
     .leaf = "Morva",
     .missing = {"duke3d.exe", "Morva.txt", "Morvcrd.txt", "Morvint.txt"}},
    {.name = "LauncherInThePackage", .leaf = "Morva", .home = LauncherHome::package},
    {.name = "LauncherRenamedInAnotherFolder",
     .leaf = "Morva",
     .home = LauncherHome::otherFolder,
     .exeName = "Realm Launcher.exe"},
    // "Morva Élé", letters of Windows-1252 (every text here is UTF-8).
    {.name = "FolderNameInCodePage1252", .leaf = "Morva \xC3\x89l\xC3\xA9"},
    // In three scripts, and a user "Użytkownik Игрок".
    {.name = "FolderNameInThreeScripts",
     .leaf = threeScripts,
     .missing = {"Morvcrd.txt"},
     .desktopUser = "U\xC5\xBCytkownik \xD0\x98\xD0\xB3\xD1\x80\xD0\xBE\xD0\xBA"},
    {.name = "FolderNameOf125CyrillicLetters",
     .leaf = cyrillicLetters,
     .missing = {"duke3d.exe"},
     .home = LauncherHome::package},
    {.name = "DriveRoot", .leaf = "Morva", .drive = 'P'},
    {.name = "PlantedDll", .leaf = "Morva", .home = LauncherHome::package, .plantedDll = true},
    // Around the limits: the link's target (the directory, a backslash and the 17 characters
    // of MorvaLauncher.exe) fits the link object's 259 up to 241; the game's path (a backslash
    // and duke3d.exe) fits the shell's 259 up to 248; 258 is the longest current directory
    // Windows allows.
    {.name = "CurrentDirectoryOf240Characters", .leaf = "Morva ", .length = 240},
    {.name = "CurrentDirectoryOf241Characters", .leaf = "Morva ", .length = 241},
    {.name = "CurrentDirectoryOf242Characters", .leaf = "Morva ", .length = 242},
    {.name = "CurrentDirectoryOf248Characters", .leaf = "Morva ", .length = 248},
    {.name = "CurrentDirectoryOf249Characters", .leaf = "Morva ", .length = 249},
    {.name = "CurrentDirectoryOf258Characters", .leaf = "Morva ", .length = 258},
    // Started elsewhere, the launcher finds the package beside itself, in a folder named in
    // three scripts or as long as the Cyrillic one above.
    {.name = "StartedInTheSystemFolder",
     .leaf = threeScripts,
     .home = LauncherHome::package,
     .startIn = StartIn::systemFolder},
    {.name = "StartedInAnEmptyFolder",
     .leaf = cyrillicLetters,
     .home = LauncherHome::package,
     .startIn = StartIn::emptyFolder},
    {.name = "GameBesideTheLauncherToo", .leaf = "Morva", .home = LauncherHome::otherPackage},
    {.name = "GameInNeitherFolder",
     .leaf = "Morva",
     .home = LauncherHome::otherFolder,
     .startIn = StartIn::emptyFolder},
};

// Test names carry the shape's name; this keeps its bytes out of them.
void PrintTo(const FolderShape& shape, std::ostream* out) { *out << shape.name; }

// A package folder built to a shape, with the .txt viewer and the web browser pointed at
// stand-ins of their own, and the launcher where the shape puts it.
class Package {
public:
    explicit Package(const FolderShape& shape) : shape_(shape), folder_(shape.leaf, shape.length) {
        auto wanted = [&](const std::string& name) {
            return std::find(shape.missing.begin(), shape.missing.end(), name) ==
                   shape.missing.end();
        };
        for (const std::string& name : packagePrograms)
            if (wanted(name))
                addStandIn(name);
        addStandIn(viewerName);
        addStandIn(browserName);
        for (const std::string& name : packageDocuments)
            if (wanted(name))
                addFile(name, "The Realm of Morva: " + name + "\r\n");

        switch (shape.home) {
        case LauncherHome::buildFolder:
            launcher_ = launcherPath();
            break;
        case LauncherHome::package:
            launcher_ = folder_.file(shape.exeName);
            placed_.push_back(shape.exeName);
            break;
        case LauncherHome::otherFolder:
        case LauncherHome::otherPackage:
            launcherFolder_ = std::make_unique<PackageFolder>("Launcher");
            if (shape.home == LauncherHome::otherPackage)
                launcherFolder_->addStandIn("duke3d.exe");
            launcher_ = launcherFolder_->file(shape.exeName);
            break;
        }
        if (shape.startIn == StartIn::emptyFolder)
            emptyFolder_ = std::make_unique<PackageFolder>("Elsewhere");
        if (launcher_ != launcherPath() &&
            !CopyFileW(longPath(launcherPath()).c_str(), longPath(launcher_).c_str(), FALSE))
            errors_ += "cannot copy the launcher to " + launcher_ + "; ";
        if (shape.plantedDll) {
            if (!CopyFileA((testBinaryDirectory() + "planted\\msimg32.dll").c_str(),
                           folder_.file("msimg32.dll").c_str(), FALSE))
                errors_ += "cannot plant msimg32.dll; ";
            placed_.push_back("msimg32.dll");
        }

        commands_.push_back(openCommand(fileTypeOf(".txt"), helper(viewerName)));
        for (const char* protocol : {"http", "https"})
            commands_.push_back(openCommand(protocol, helper(browserName)));
        if (shape.plantedDll) {
            // Windows' search order for this program (a parent's WINEDLLOVERRIDES never reaches
            // Wine's loader); no theme, whose uxtheme would load msimg32 ignoring our call.
            commands_.push_back(std::make_unique<RegistryValue>(
                HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\" + shape.exeName + "\\DllOverrides",
                "msimg32", "native,builtin"));
            commands_.push_back(std::make_unique<RegistryValue>(
                HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager",
                "ThemeActive", "0"));
        }
        if (!shape.desktopUser.empty()) {
            // Where Wine looks for the desktop first.
            userFolder_ = std::make_unique<PackageFolder>(shape.desktopUser);
            CreateDirectoryW(longPath(userFolder_->file("Desktop")).c_str(), nullptr);
            commands_.push_back(std::make_unique<RegistryValue>(
                HKEY_CURRENT_USER,
                "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                "Desktop", userFolder_->file("Desktop")));
        }
        for (const auto& command : commands_)
            errors_ += !command ? "no file type for .txt; "
                                : command->error().empty() ? "" : command->error() + "; ";

        if (shape.drive) {
            drive_ = std::make_unique<MappedDrive>(shape.drive, folder_.path());
            if (!drive_->error().empty())
                errors_ += drive_->error() + "; ";
        }
    }

    // Everything that went wrong while making it; empty when it is ready.
    const std::string& error() const { return errors_; }
    // The folder the launcher starts in.
    std::string startDirectory() const {
        if (emptyFolder_)
            return emptyFolder_->path();
        char system[MAX_PATH] = "";
        if (shape_.startIn == StartIn::systemFolder && GetSystemDirectoryA(system, MAX_PATH))
            return system;
        return drive_ ? drive_->root() : folder_.path();
    }
    // The package folder as the launcher sees it: where it started, unless only its own folder
    // holds the game.
    std::string directory() const {
        bool besideTheLauncher =
            shape_.startIn != StartIn::package && shape_.home == LauncherHome::package;
        return besideTheLauncher ? folder_.path() : startDirectory();
    }
    // A package file's full path as the launcher builds it.
    std::string file(const std::string& name) const { return baseDirOf(directory()) + name; }
    // One of the stand-ins for the viewer and the browser, as their open commands name it.
    std::string helper(const std::string& name) const { return folder_.file(name); }
    // The launcher to start.
    const std::string& launcher() const { return launcher_; }
    // The desktop link's target: the launcher's file name in the package folder it took.
    std::string linkTarget() const { return file(shape_.exeName); }
    const PackageFolder& folder() const { return folder_; }
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

    const FolderShape& shape_;
    PackageFolder folder_;
    std::vector<std::string> placed_;
    std::unique_ptr<PackageFolder> launcherFolder_, userFolder_, emptyFolder_;
    std::string launcher_;
    std::vector<std::unique_ptr<RegistryValue>> commands_; // open commands, overrides
    std::string errors_;
    // Declared last: the drive letter goes before the folder it shows.
    std::unique_ptr<MappedDrive> drive_;
};

// --- Actions --------------------------------------------------------------------------------

// How a row triggers its action: as a failure names it, done to the launcher, and whether it
// is done with the keyboard.
struct Action {
    std::string name;
    std::function<std::string(LauncherProcess&)> perform;
    bool byKeyboard = false;
};

Action click(const std::string& caption) {
    return {"click on \"" + caption + "\"",
            [=](LauncherProcess& launcher) { return launcher.clickButton(caption); }};
}
Action doubleClick(const std::string& caption) {
    return {"double-click on \"" + caption + "\"",
            [=](LauncherProcess& launcher) { return launcher.clickButton(caption, 2); }};
}
Action key(char letter) {
    return {std::string("key ") + letter,
            [=](LauncherProcess& launcher) { return launcher.pressKey(letter); }, true};
}
Action altKey(char letter) {
    return {std::string("Alt+") + letter,
            [=](LauncherProcess& launcher) { return launcher.pressAltKey(letter); }, true};
}
Action clickArtwork() {
    return {"click on the artwork",
            [](LauncherProcess& launcher) { return launcher.clickAt(artworkPoint); }};
}
Action doubleClickArtwork() {
    return {"double-click on the artwork",
            [](LauncherProcess& launcher) { return launcher.clickAt(artworkPoint, 2); }};
}

// --- Outcomes -------------------------------------------------------------------------------

enum class Result {
    starts,       // a package program started
    opens,        // a document opened in the viewer
    fileError,    // the File Error box
    nothing,      // nothing at all
    linkWritten,  // the desktop link, then the Success box
    linkRefused,  // the save's Error box, then the Failure box, and no link
    webPageOpens, // the About box, whose link opens the author's web page in the browser
    readerOpensWebPage, // the same, its link run by a screen reader in this process
};

// Why a desktop link cannot be saved.
enum class Refusal {
    none,
    folderInTheWay, // a folder on the desktop has the link file's name
    targetTooLong,  // the target does not fit the link object's path
};

struct Outcome {
    Result result;
    std::string name;           // as a failure names it
    std::string file = {};      // the program or document started, or the one reported missing
    std::string arguments = {}; // the program's exact argument string
    size_t count = 1;           // how many starts
    Refusal refusal = Refusal::none;
};

Outcome starts(const std::string& program, const std::string& arguments, size_t count = 1) {
    return {Result::starts,
            std::to_string(count) + " start(s) of " + program + " \"" + arguments + "\"", program,
            arguments, count};
}
// A document, opened by the viewer with its full path.
Outcome opens(const std::string& document) {
    return {Result::opens, "the viewer opening " + document, document};
}
Outcome fileError(const std::string& file) {
    return {Result::fileError, "the File Error box for " + file, file};
}
Outcome nothing() {
    return {Result::nothing, "nothing"};
}
// The link's target is the launcher's file name in the package folder (Package::linkTarget).
Outcome linkWritten() {
    return {Result::linkWritten, "the desktop link and the Success box"};
}
Outcome linkRefused(Refusal why) {
    return {.result = Result::linkRefused,
            .name =
                std::string("the Save Error box and the Failure box, ") +
                (why == Refusal::folderInTheWay ? "a folder in the way" : "the target too long"),
            .count = 0,
            .refusal = why};
}
Outcome webPageOpens() {
    return {Result::webPageOpens, "the About box, its link opening the author's web page"};
}
Outcome readerOpensWebPage() {
    return {Result::readerOpensWebPage,
            "the About box read by a screen reader, which runs its link"};
}

// Rows whose outcome puts a box or the About box up, so the main window is activated again
// once it goes.
bool showsAWindow(Result result) {
    return result == Result::fileError || result == Result::linkWritten ||
           result == Result::linkRefused || result == Result::webPageOpens ||
           result == Result::readerOpensWebPage;
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
    // The launcher runs from the build folder: the link names its file in the package folder.
    {"Complete", key('D'), linkWritten()},
    {"Complete", altKey('D'), linkWritten()},
    {"Complete", click("&Desktop Icon"), linkWritten()},
    {"Complete", click("&Desktop Icon"), linkRefused(Refusal::folderInTheWay)},
    {"Complete", key('D'), linkRefused(Refusal::folderInTheWay)},
    {"Complete", altKey('A'), webPageOpens()},
    {"Complete", altKey('A'), readerOpensWebPage()},
    {"Complete", key('S'), starts("duke3d.exe", gameArguments)},

    {"FolderNameWithSpaces", click("&Single Play"), starts("duke3d.exe", gameArguments)},
    {"FolderNameWithSpaces", key('M'), starts("setup.exe", setupArguments)},
    {"FolderNameWithSpaces", doubleClickArtwork(), starts("duke3d.exe", demoArguments)},
    {"FolderNameWithSpaces", altKey('R'), opens("Morva.txt")},
    {"FolderNameWithSpaces", click("Credits"), opens("Morvcrd.txt")},
    {"FolderNameWithSpaces", key('D'), linkWritten()},
    {"FolderNameWithSpaces", click("&Desktop Icon"), linkWritten()},

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

    // The About box first, opened with no button ever focused: Single Play has the focus after.
    {"LauncherInThePackage", altKey('A'), webPageOpens()},
    {"LauncherInThePackage", altKey('A'), webPageOpens()},
    {"LauncherInThePackage", key('D'), linkWritten()},
    {"LauncherInThePackage", click("&Desktop Icon"), linkRefused(Refusal::folderInTheWay)},
    {"LauncherInThePackage", key('S'), starts("duke3d.exe", gameArguments)},

    // A Desktop Icon press with no button ever focused: Single Play has the focus after.
    {"LauncherRenamedInAnotherFolder", key('D'), linkWritten()},
    {"LauncherRenamedInAnotherFolder", key('S'), starts("duke3d.exe", gameArguments)},
    {"LauncherRenamedInAnotherFolder", click("&Desktop Icon"), linkWritten()},

    {"FolderNameInCodePage1252", key('S'), starts("duke3d.exe", gameArguments)},
    {"FolderNameInCodePage1252", key('M'), starts("setup.exe", setupArguments)},
    {"FolderNameInCodePage1252", doubleClickArtwork(), starts("duke3d.exe", demoArguments)},
    {"FolderNameInCodePage1252", key('R'), opens("Morva.txt")},
    {"FolderNameInCodePage1252", key('D'), linkWritten()},
    {"FolderNameInCodePage1252", click("&Desktop Icon"), linkWritten()},

    // The About box draws its glyph with msimg32's TransparentBlt: the system's, not ours.
    {"PlantedDll", altKey('A'), webPageOpens()},

    {"FolderNameInThreeScripts", key('S'), starts("duke3d.exe", gameArguments)},
    {"FolderNameInThreeScripts", click("&Multi Play"), starts("setup.exe", setupArguments)},
    {"FolderNameInThreeScripts", key('R'), opens("Morva.txt")},
    {"FolderNameInThreeScripts", click("Credits"), fileError("Morvcrd.txt")},
    {"FolderNameInThreeScripts", key('D'), linkWritten()},

    {"FolderNameOf125CyrillicLetters", key('S'), fileError("duke3d.exe")},
    {"FolderNameOf125CyrillicLetters", key('M'), starts("setup.exe", setupArguments)},
    {"FolderNameOf125CyrillicLetters", key('D'), linkWritten()},

    {"DriveRoot", key('S'), starts("duke3d.exe", gameArguments)},
    {"DriveRoot", click("&Multi Play"), starts("setup.exe", setupArguments)},
    {"DriveRoot", key('R'), opens("Morva.txt")},
    {"DriveRoot", key('D'), linkWritten()},
    {"DriveRoot", click("&Desktop Icon"), linkWritten()},

    {"CurrentDirectoryOf240Characters", key('S'), starts("duke3d.exe", gameArguments)},
    {"CurrentDirectoryOf240Characters", key('D'), linkWritten()},
    {"CurrentDirectoryOf241Characters", key('S'), starts("duke3d.exe", gameArguments)},
    {"CurrentDirectoryOf241Characters", key('D'), linkWritten()},
    {"CurrentDirectoryOf242Characters", key('S'), starts("duke3d.exe", gameArguments)},
    {"CurrentDirectoryOf242Characters", key('D'), linkRefused(Refusal::targetTooLong)},
    {"CurrentDirectoryOf248Characters", key('S'), starts("duke3d.exe", gameArguments)},
    {"CurrentDirectoryOf248Characters", key('D'), linkRefused(Refusal::targetTooLong)},
    // Past 259 characters the shell does not find the game: the File Error box names it.
    {"CurrentDirectoryOf249Characters", key('S'), fileError("duke3d.exe")},
    {"CurrentDirectoryOf249Characters", key('D'), linkRefused(Refusal::targetTooLong)},
    {"CurrentDirectoryOf258Characters", key('S'), fileError("duke3d.exe")},
    {"CurrentDirectoryOf258Characters", click("&Single Play"), fileError("duke3d.exe")},
    {"CurrentDirectoryOf258Characters", key('D'), linkRefused(Refusal::targetTooLong)},
    // Started elsewhere: everything as in the package folder beside the launcher.
    {"StartedInTheSystemFolder", key('S'), starts("duke3d.exe", gameArguments)},
    {"StartedInTheSystemFolder", click("&Multi Play"), starts("setup.exe", setupArguments)},
    {"StartedInTheSystemFolder", doubleClickArtwork(), starts("duke3d.exe", demoArguments)},
    {"StartedInTheSystemFolder", key('R'), opens("Morva.txt")},
    {"StartedInTheSystemFolder", key('D'), linkWritten()},
    {"StartedInAnEmptyFolder", click("&Single Play"), starts("duke3d.exe", gameArguments)},
    {"StartedInAnEmptyFolder", key('M'), starts("setup.exe", setupArguments)},
    {"StartedInAnEmptyFolder", doubleClickArtwork(), starts("duke3d.exe", demoArguments)},
    {"StartedInAnEmptyFolder", click("&Readme"), opens("Morva.txt")},
    {"StartedInAnEmptyFolder", click("&Desktop Icon"), linkWritten()},
    // A game in the current directory wins over the one beside the launcher; with neither,
    // the current directory is the one named.
    {"GameBesideTheLauncherToo", key('S'), starts("duke3d.exe", gameArguments)},
    {"GameBesideTheLauncherToo", key('D'), linkWritten()},
    {"GameInNeitherFolder", key('S'), fileError("duke3d.exe")},
    {"GameInNeitherFolder", click("&Readme"), fileError("Morva.txt")},
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

// Wine keeps a link's target only in its writer's code page, UTF-8, which this reader in the
// system's misreads past ASCII; Windows keeps it in Unicode, as it does the working directory.
bool targetReadsBack(const std::string& target) {
    return std::all_of(target.begin(), target.end(), [](char c) { return (c & 0x80) == 0; }) ||
           !underWine();
}

// What one shape's rows run against.
struct Scene {
    const Package& package;
    LauncherProcess& launcher;
    const DesktopFolder& desktop;
    // The number of starts the rows before have made; it follows what was actually recorded,
    // so one wrong row does not spoil the judgement of the next.
    size_t startsSoFar = 0;
};

// The row's starts: `count` more, each of `expected`.
void expectStarts(Scene& scene, size_t count, const StandInStart& expected) {
    size_t wanted = scene.startsSoFar + count;
    std::vector<StandInStart> got = scene.package.folder().waitForStarts(wanted);
    EXPECT_EQ(got.size(), wanted) << "starts recorded:" << joined(got);
    // The newest starts are this row's: a stray one from an earlier row is only counted.
    size_t first = got.size() > count ? got.size() - count : 0;
    for (size_t i = std::max(first, scene.startsSoFar); i < got.size(); ++i) {
        EXPECT_EQ(got[i].program, expected.program) << "start " << i + 1;
        EXPECT_EQ(got[i].arguments, expected.arguments) << "start " << i + 1;
        EXPECT_EQ(got[i].directory, expected.directory) << "start " << i + 1;
    }
    scene.startsSoFar = got.size();
}

// A message box of the launcher's: its text, whose it is, and what it does to the main window
// while it is up.
struct ExpectedBox {
    std::string caption;
    std::string text;
    bool applicationOwned; // owned by the application's window, so the main window is disabled
};

void expectBox(Scene& scene, const ExpectedBox& expected) {
    LauncherProcess& launcher = scene.launcher;
    LauncherBox box = launcher.waitForMessageBox(expected.caption);
    EXPECT_NE(box.window, nullptr)
        << "no " << expected.caption << " box; the launcher's windows:" << launcher.windowsReport();
    if (!box.window)
        return;
    SCOPED_TRACE("the " + expected.caption + " box");
    EXPECT_EQ(box.seen.text, expected.text);
    HWND owner = expected.applicationOwned ? launcher.appWindow() : nullptr;
    EXPECT_EQ(box.seen.owner, owner) << "owned by " << launcher.describe(box.seen.owner);
    EXPECT_EQ(box.mainEnabled, !expected.applicationOwned) << "the main window enabled under it";
    EXPECT_EQ(launcher.dismiss(box.window), "");
    launcher.waitIdle();
}

// A screen reader: the names of a window's accessible children, one a line, read through its
// object from this process; then the default action of the one that is a link.
std::string readAndRunTheLink(HWND window) {
    AccessibleObject root = clientObject(window);
    if (!root)
        return "(no object)";
    std::string names;
    long count = 0;
    root->get_accChildCount(&count);
    for (long i = 1; i <= count; ++i) {
        Read child = readChild(root.get(), childId(i));
        names += child.name + "\n";
        if (child.role == ROLE_SYSTEM_LINK)
            root->accDoDefaultAction(childId(i));
    }
    return names;
}

// The link's middle, where a reader finds it (a label sizes itself), in the About box's pixels.
POINT linkMiddle(HWND about) {
    POINT middle{-1, -1};
    if (AccessibleObject root = clientObject(about))
        for (const Read& child : readTree(root.get()))
            if (child.role == ROLE_SYSTEM_LINK)
                middle = centreOf(child.location);
    ScreenToClient(about, &middle);
    return middle;
}

// What a row needs in place before its action.
void prepare(const Case& c, Scene& scene) {
    if (c.expected.result == Result::linkWritten || c.expected.result == Result::linkRefused)
        scene.desktop.clear();
    if (c.expected.refusal == Refusal::folderInTheWay)
        CreateDirectoryA(scene.desktop.file(linkFileName).c_str(), nullptr);
}

// Runs one row against a running launcher.
void runCase(const Case& c, Scene& scene) {
    const Package& package = scene.package;
    LauncherProcess& launcher = scene.launcher;
    const DesktopFolder& desktop = scene.desktop;
    prepare(c, scene);
    std::string focusBefore = launcher.focused();
    EXPECT_EQ(c.action.perform(launcher), "");

    switch (c.expected.result) {
    case Result::starts:
        expectStarts(scene, c.expected.count,
                     {package.file(c.expected.file), c.expected.arguments, package.directory()});
        break;
    case Result::opens:
        expectStarts(scene, c.expected.count,
                     {package.helper(viewerName), "\"" + package.file(c.expected.file) + "\"",
                      package.directory()});
        break;
    case Result::fileError:
        expectBox(scene,
                  {"File Error", "Cannot find the file..." + package.file(c.expected.file), false});
        break;
    case Result::nothing: {
        // A start would be on its way by the time the launcher is idle again; a late one still
        // shows in the next row's count and the final one.
        launcher.waitIdle();
        pumpMessages(std::chrono::milliseconds(500));
        std::vector<StandInStart> got = package.folder().starts();
        EXPECT_EQ(got.size(), scene.startsSoFar) << "starts recorded:" << joined(got);
        scene.startsSoFar = got.size();
        break;
    }
    case Result::linkWritten: {
        expectBox(scene, {"Success", successText, true});
        EXPECT_EQ(joined(desktop.entries()), joined({linkFileName})) << "on the desktop";
        ReadLink link = readLink(desktop.file(linkFileName));
        EXPECT_TRUE(link.loaded) << desktop.file(linkFileName);
        if (targetReadsBack(package.linkTarget())) {
            EXPECT_EQ(link.path, package.linkTarget());
        }
        EXPECT_EQ(link.workingDirectory, baseDirOf(package.directory()));
        EXPECT_EQ(link.description, "The Realm of Morva");
        EXPECT_EQ(link.arguments, "");
        desktop.clear();
        break;
    }
    case Result::linkRefused: {
        expectBox(scene, {"Error", "IPersistFile->Save() Error", false});
        expectBox(scene, {"Failure", failureText, true});
        if (c.expected.refusal == Refusal::folderInTheWay) {
            EXPECT_EQ(joined(desktop.entries()), joined({linkFileName})) << "on the desktop";
            EXPECT_TRUE(isFolder(desktop.file(linkFileName))) << "the folder in the way";
            EXPECT_EQ(joined(folderEntries(desktop.file(linkFileName))), "[]");
        } else {
            EXPECT_EQ(joined(desktop.entries()), "[]") << "on the desktop";
        }
        desktop.clear();
        break;
    }
    case Result::webPageOpens:
    case Result::readerOpensWebPage: {
        HWND about = launcher.waitForWindow("TfrmAbout");
        EXPECT_NE(about, nullptr) << "no About box; the launcher's windows:"
                                  << launcher.windowsReport();
        if (!about)
            break;
        EXPECT_EQ(windowText(about), "About");
        EXPECT_FALSE(launcher.mainWindowEnabled()) << "the main window was enabled under it";
        if (c.expected.result == Result::readerOpensWebPage) {
            EXPECT_EQ(readAndRunTheLink(about), "OK\nThe Realm of Morva\n(c) 2026 Morva Studio\n"
                                                "The Realm of Morva\nWindows Launcher\n"
                                                "(c) 2026 Quillet\nQuillet on the Internet\n");
        } else {
            EXPECT_EQ(launcher.clickIn(about, linkMiddle(about)), "");
        }
        expectStarts(scene, 1,
                     {package.helper(browserName), "\"" + std::string(authorWebPage) + "\"",
                      package.directory()});
        EXPECT_TRUE(IsWindowVisible(about)) << "the About box closed on the link's click";
        EXPECT_EQ(launcher.pressKeyIn(about, VK_RETURN), "");
        EXPECT_TRUE(launcher.waitUntilHidden(about)) << "Enter left the About box up";
        break;
    }
    }

    launcher.waitIdle();
    waitUntil([&] { return launcher.mainWindowEnabled(); });
    EXPECT_TRUE(launcher.mainWindowEnabled()) << "the main window is disabled after the row";
    // Nothing else may be left up; an unexpected box is closed so the next rows can run.
    std::vector<std::string> boxes = launcher.openBoxes();
    EXPECT_EQ(joined(boxes), "[]") << "boxes still up";
    for (int attempt = 0; attempt < 5 && !boxes.empty(); ++attempt) {
        if (HWND box = launcher.waitForMessageBox(boxes.front(), std::chrono::seconds(1)).window)
            launcher.dismiss(box);
        boxes = launcher.openBoxes();
    }
    // Only the Desktop Icon rows write to the desktop, and they clear it.
    EXPECT_EQ(joined(desktop.entries()), "[]") << "left on the desktop";
    desktop.clear();
    if (c.action.byKeyboard) {
        // Where a box or dialog has been up, the main window's activation afterwards puts the
        // focus back on its button, or on Single Play when no button had it.
        std::string focusAfter = focusBefore;
        if (showsAWindow(c.expected.result) && focusBefore == "(main window)")
            focusAfter = "&Single Play";
        EXPECT_EQ(launcher.waitForFocus(focusAfter), focusAfter) << "the focus after the row";
    }
}

class FolderShapes : public ::testing::TestWithParam<FolderShape> {};

TEST_P(FolderShapes, EveryActionReachesItsOutcome) {
    REQUIRE_DISPOSABLE_MACHINE();
    const FolderShape& shape = GetParam();
    Package package(shape);
    ASSERT_EQ(package.error(), "");
    if (shape.length) {
        ASSERT_EQ(package.directory().size(), shape.length) << package.directory();
    }
    if (shape.drive) {
        ASSERT_EQ(package.directory(), std::string(1, shape.drive) + ":\\");
    }
    DesktopFolder desktop;
    ASSERT_EQ(desktop.error(), "");
    LauncherProcess launcher(package.startDirectory(), {.program = package.launcher()});
    ASSERT_EQ(launcher.startError(), "");
    ASSERT_EQ(launcher.focused(), "(main window)") << "no button has the focus at start";

    Scene scene{package, launcher, desktop};
    int rows = 0;
    for (const Case& c : cases) {
        if (c.shape != shape.name)
            continue;
        ++rows;
        std::ostringstream row;
        row << "row " << rows << ": " << c.action.name << " -> " << c.expected.name;
        SCOPED_TRACE(row.str());
        runCase(c, scene);
        ASSERT_TRUE(launcher.running()) << "the launcher ended";
    }
    ASSERT_GT(rows, 0) << "no rows for the shape " << shape.name;

    // A late start from a row that had to start nothing shows up here.
    launcher.waitIdle();
    pumpMessages(std::chrono::milliseconds(1000));
    EXPECT_EQ(package.folder().starts().size(), scene.startsSoFar)
        << "starts recorded:" << joined(package.folder().starts());

    EXPECT_EQ(launcher.clickButton("E&xit"), "");
    EXPECT_EQ(launcher.waitForExit().value_or(0xDEADBEEF), 0u)
        << "still running with the windows:" << launcher.windowsReport();
    EXPECT_EQ(joined(folderEntries(package.folder().path())),
              joined(package.expectedEntries(scene.startsSoFar > 0)));
    EXPECT_EQ(joined(desktop.entries()), "[]") << "left on the desktop";
}

// Named by index: the test discovery turns "/0  # GetParam() = Complete" into "/Complete".
INSTANTIATE_TEST_SUITE_P(Packages, FolderShapes, ::testing::ValuesIn(folderShapes));

// --- Ending the program ---------------------------------------------------------------------

TEST(LauncherEnds, EveryWayOfClosingEndsWithExitCodeZero) {
    REQUIRE_DISPOSABLE_MACHINE();
    const Action endings[] = {
        click("E&xit"),
        key('X'),
        altKey('X'),
        {"WM_CLOSE to the main window", [](LauncherProcess& l) { return l.postToMain(WM_CLOSE); }},
        {"SC_CLOSE to the application window",
         [](LauncherProcess& l) { return l.postToApp(WM_SYSCOMMAND, SC_CLOSE); }},
    };
    Package package(folderShapes[0]);
    for (const Action& ending : endings) {
        SCOPED_TRACE(ending.name);
        LauncherProcess launcher(package.directory());
        ASSERT_EQ(launcher.startError(), "");
        EXPECT_EQ(ending.perform(launcher), "");
        EXPECT_EQ(launcher.waitForExit().value_or(0xDEADBEEF), 0u);
        EXPECT_EQ(joined(folderEntries(package.directory())),
                  joined(package.expectedEntries(false)));
    }
}

// --- The windows it shows -------------------------------------------------------------------

TEST(LauncherWindows, MainWindowOwnedByTheApplicationWindowWithItsButtonsAndMenu) {
    REQUIRE_DISPOSABLE_MACHINE();
    struct Start {
        const char* name;
        std::optional<WORD> showCommand;
    } startsWith[] = {{"no show command", std::nullopt}, {"SW_SHOWNORMAL", SW_SHOWNORMAL}};
    Package package(folderShapes[0]);
    for (const Start& start : startsWith) {
        SCOPED_TRACE(start.name);
        LauncherProcess launcher(package.directory(), {.showCommand = start.showCommand});
        ASSERT_EQ(launcher.startError(), "");

        HWND app = launcher.appWindow();
        ASSERT_NE(app, nullptr) << "no TApplication window";
        EXPECT_EQ(windowText(app), "The Realm of Morva");
        RECT appRect{0, 0, -1, -1}; // sentinel: not zero-sized
        GetWindowRect(app, &appRect);
        EXPECT_EQ(appRect.right - appRect.left, 0) << "application window's width";
        EXPECT_EQ(appRect.bottom - appRect.top, 0) << "application window's height";

        HWND main = launcher.mainWindow();
        EXPECT_EQ(launcher.describe(GetWindow(main, GW_OWNER)), "(application window)");
        std::string caption = windowText(main);
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

        EXPECT_EQ(launcher.postToMain(WM_CLOSE), "");
        EXPECT_EQ(launcher.waitForExit().value_or(0xDEADBEEF), 0u);
    }
    EXPECT_EQ(joined(folderEntries(package.directory())), joined(package.expectedEntries(false)));
}

// Through CreateProcess's STARTUPINFO, as a shortcut or the shell passes it: a maximised start
// shows the main window maximised, a minimised one only the taskbar button until the first
// restore, any other a normal window. Either way that first showing activates the window for
// the first time and leaves no button focused; a later minimise and restore puts the focus on
// Single Play. The taskbar's window stays zero-sized, and no later box inherits the command.
TEST(LauncherWindows, StartUpShowCommandsAndTheFirstActivation) {
    REQUIRE_DISPOSABLE_MACHINE();
    struct Start {
        const char* name;
        WORD showCommand;
        bool minimised; // the application minimised, the main window not shown
        bool maximised; // the main window once shown
    } startsWith[] = {
        {"SW_SHOWMAXIMIZED (3)", SW_SHOWMAXIMIZED, false, true},
        {"SW_SHOWMINNOACTIVE (7)", SW_SHOWMINNOACTIVE, true, false},
        {"SW_SHOWMINIMIZED (2)", SW_SHOWMINIMIZED, false, false},
    };
    const FolderShape& withoutSetup = folderShapes[2];
    ASSERT_EQ(withoutSetup.name, "WithoutSetup");
    Package package(withoutSetup);
    ASSERT_EQ(package.error(), "");
    for (const Start& start : startsWith) {
        SCOPED_TRACE(start.name);
        LauncherProcess launcher(package.directory(), {.showCommand = start.showCommand,
                                                       .mainWindowVisible = !start.minimised});
        ASSERT_EQ(launcher.startError(), "");
        HWND app = launcher.appWindow();
        HWND main = launcher.mainWindow();
        ASSERT_NE(app, nullptr) << "no TApplication window";

        EXPECT_EQ(IsIconic(app) != FALSE, start.minimised) << "the application minimised";
        EXPECT_EQ(IsWindowVisible(main) != FALSE, !start.minimised) << "the main window shown";
        if (start.minimised) {
            // The taskbar button's Restore.
            EXPECT_EQ(launcher.postToApp(WM_SYSCOMMAND, SC_RESTORE), "");
            EXPECT_TRUE(launcher.waitUntilVisible(main)) << "the first restore left it hidden";
            EXPECT_FALSE(IsIconic(app)) << "the application still minimised";
        }
        EXPECT_EQ(IsZoomed(main) != FALSE, start.maximised) << "the main window maximised";
        // Off screen while minimised, as every minimised window; zero-sized once it is not, even
        // when another program sizes it (the start leaves it restored, so only this shows it).
        SetWindowPos(app, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT appRect{0, 0, -1, -1}; // sentinel: not zero-sized
        GetWindowRect(app, &appRect);
        EXPECT_EQ(appRect.right - appRect.left, 0) << "the application window's width";
        EXPECT_EQ(appRect.bottom - appRect.top, 0) << "the application window's height";
        EXPECT_EQ(launcher.waitForFocus("(main window)"), "(main window)")
            << "no button has the focus after the first activation";

        EXPECT_EQ(launcher.postToMain(WM_SYSCOMMAND, SC_MINIMIZE), "");
        EXPECT_TRUE(launcher.waitUntilHidden(main)) << "minimising left the main window up";
        launcher.waitIdle();
        EXPECT_TRUE(IsIconic(app)) << "the application not minimised";
        EXPECT_EQ(launcher.postToApp(WM_SYSCOMMAND, SC_RESTORE), "");
        EXPECT_TRUE(launcher.waitUntilVisible(main)) << "the restore left it hidden";
        EXPECT_EQ(launcher.waitForFocus("&Single Play"), "&Single Play")
            << "a later activation focuses Single Play";
        EXPECT_EQ(launcher.pressKey('M'), "");
        LauncherBox box = launcher.waitForMessageBox("File Error");
        RECT boxRect{};
        GetWindowRect(box.window, &boxRect);
        EXPECT_FALSE(IsIconic(box.window) || IsZoomed(box.window) || IsRectEmpty(&boxRect))
            << "the File Error box is not a normal window";
        EXPECT_EQ(launcher.dismiss(box.window), "");

        EXPECT_EQ(launcher.postToMain(WM_CLOSE), "");
        EXPECT_EQ(launcher.waitForExit().value_or(0xDEADBEEF), 0u);
    }
    EXPECT_EQ(joined(folderEntries(package.directory())), joined(package.expectedEntries(false)));
}

} // namespace
