#include "launcher.h"
#include "recording_shell.h"
#include "shortcut.h"

#include <gtest/gtest.h>

namespace {

using Calls = std::vector<ShellCall>;

const std::string exePath = "D:\\GAME\\MorvaLauncher.exe";
const std::string desktopPath = "C:\\Users\\Player\\Desktop"; // the fake's desktop
const ShellCall success = appMessageBoxCall(
    "A shortcut to 'The Realm of Morva' has been created on your desktop", "Success", 0x40);
const ShellCall failure = appMessageBoxCall(
    "Could not create a shortcut to 'The Realm of Morva' on your desktop", "Failure", 0x10);
const ShellCall folderError =
    messageBoxCall("Could not get the location of a special folder", "Error", 0);

// Everything up to the persist-file request, for a link of the shipped profile in D:\GAME.
Calls linkMade(const std::string& baseDir = "D:\\GAME\\") {
    return {call("specialFolderPath", "16"),
            call("coInitialize"),
            call("createShellLink"),
            call("setLinkPath", "link " + baseDir + "MorvaLauncher.exe"),
            call("setLinkWorkingDirectory", "link " + baseDir),
            call("setLinkDescription", "link The Realm of Morva"),
            call("queryPersistFile", "link")};
}

Calls operator+(Calls calls, const Calls& more) {
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
}

// One press of Desktop Icon against a fresh fake: what it asked of the shell.
Calls pressDesktopIcon(const std::optional<std::string>& currentDirectory,
                       const std::optional<std::string>& desktop = desktopPath,
                       const std::optional<std::string>& executable = exePath) {
    RecordingShell shell;
    shell.currentDirectoryResult = currentDirectory;
    shell.specialFolderPathResult = desktop;
    runDesktopIconAction(shippedProfile(), executable);
    return shell.calls;
}

TEST(DesktopIcon, EachOutcomeShowsItsBoxesReleasesInOrderAndClosesWithOneBox) {
    const ShellCall save =
        call("savePersistFile", "persistFile C:\\Users\\Player\\Desktop\\The Realm of Morva.lnk");
    const Calls released = {call("release", "persistFile"), call("release", "link")};
    struct Case {
        const char* name;
        std::function<void(RecordingShell&)> arrange;
        Calls expected;
    } cases[] = {
        {"written", [](RecordingShell&) {}, linkMade() + Calls{save} + released + Calls{success}},
        {"no desktop folder",
         [](RecordingShell& shell) { shell.specialFolderPathResult = std::nullopt; },
         {call("specialFolderPath", "16"), folderError, failure}},
        {"no link object",
         [](RecordingShell& shell) { shell.createShellLinkResult = -2147221164; },
         {call("specialFolderPath", "16"), call("coInitialize"), call("createShellLink"),
          messageBoxCall("Could not initialize COM", "Error", 0), failure}},
        {"no persist-file interface",
         [](RecordingShell& shell) { shell.queryPersistFileResult = -2147467262; },
         linkMade() +
             Calls{appMessageBoxCall("Could not create a shortcut in C:\\Users\\Player\\Desktop",
                                     "Error", 0),
                   call("release", "link"), failure}},
        {"save fails", [](RecordingShell& shell) { shell.saveResult = -2147024891; },
         linkMade() + Calls{save, messageBoxCall("IPersistFile->Save() Error", "Error", 0)} +
             released + Calls{failure}},
        {"save says S_FALSE", [](RecordingShell& shell) { shell.saveResult = 1; },
         linkMade() + Calls{save, messageBoxCall("IPersistFile->Save() Error", "Error", 0)} +
             released + Calls{failure}},
    };
    for (const Case& c : cases) {
        RecordingShell shell;
        c.arrange(shell);
        runDesktopIconAction(shippedProfile(), exePath);
        EXPECT_EQ(shell.calls, c.expected) << c.name;
    }
}

TEST(DesktopIcon, PressedTwiceWritesTheSameLinkAndSucceedsTwice) {
    RecordingShell shell;
    appProperties profile = shippedProfile();
    runDesktopIconAction(profile, exePath);
    Calls first = shell.calls;
    shell.calls.clear();
    runDesktopIconAction(profile, exePath);
    EXPECT_EQ(shell.calls, first);
    EXPECT_EQ(shell.calls.back(), success);
}

TEST(DesktopIcon, JoinsWithoutDoublingTheSeparator) {
    struct Case {
        std::string currentDirectory, desktop, target, link;
    } cases[] = {
        {"D:\\GAME", "C:\\Desk\\", "D:\\GAME\\MorvaLauncher.exe", "C:\\Desk\\The Realm of Morva.lnk"},
        {"P:\\", "C:\\Desk", "P:\\MorvaLauncher.exe", "C:\\Desk\\The Realm of Morva.lnk"},
    };
    for (const Case& c : cases) {
        Calls calls = pressDesktopIcon(c.currentDirectory, c.desktop);
        ASSERT_GE(calls.size(), 8u);
        EXPECT_EQ(calls[3], call("setLinkPath", "link " + c.target));
        EXPECT_EQ(calls[7], call("savePersistFile", "persistFile " + c.link));
    }
}

TEST(DesktopIcon, TakesTheExecutablesNameFromAnotherFolderAsItIs) {
    // Started from another folder than its own: the target names the start-up folder.
    Calls calls = pressDesktopIcon("E:\\ELSEWHERE", desktopPath, "D:\\GAME\\Launcher.exe");
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[3], call("setLinkPath", "link E:\\ELSEWHERE\\Launcher.exe"));
    EXPECT_EQ(calls.back(), success);
}

TEST(DesktopIcon, WritesNoLinkThatWouldPointAtTheWrongFile) {
    struct Case {
        const char* name;
        std::optional<std::string> currentDirectory;
        std::optional<std::string> executablePath;
    } cases[] = {
        {"unreadable package folder", std::nullopt, exePath},
        {"launcher path cut short", std::string("D:\\GAME"), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pressDesktopIcon(c.currentDirectory, desktopPath, c.executablePath),
                  (Calls{call("specialFolderPath", "16"), failure}))
            << c.name;
}

TEST(DesktopIcon, TooLongPathsAreAFailedSaveWithNothingTruncatedSaved) {
    const std::string longFolder = "C:\\" + std::string(240, 'd');
    const std::string longDirectory = "D:\\" + std::string(250, 'g');
    struct Case {
        const char* name;
        std::string currentDirectory, desktop;
    } cases[] = {
        {"link path past 260 wide characters", "D:\\GAME", longFolder},
        {"target past the link object's limit", longDirectory, "C:\\Desk"},
    };
    for (const Case& c : cases) {
        Calls calls = pressDesktopIcon(c.currentDirectory, c.desktop);
        Calls tail(calls.end() - 4, calls.end());
        EXPECT_EQ(tail, (Calls{messageBoxCall("IPersistFile->Save() Error", "Error", 0),
                               call("release", "persistFile"), call("release", "link"), failure}))
            << c.name;
        for (const ShellCall& made : calls)
            EXPECT_NE(made.operation, "savePersistFile") << c.name;
    }
}

TEST(JoinPath, AddsOneBackslashUnlessThereIsOne) {
    EXPECT_EQ(joinPath("C:\\Desk", "a.lnk"), "C:\\Desk\\a.lnk");
    EXPECT_EQ(joinPath("C:\\Desk\\", "a.lnk"), "C:\\Desk\\a.lnk");
    EXPECT_EQ(joinPath("", "a.lnk"), "\\a.lnk");
}

} // namespace
