#include "launcher.h"
#include "recording_shell.h"

#include <gtest/gtest.h>

namespace {

using Calls = std::vector<ShellCall>;

TEST(BaseDir, FollowsTheLengthRule) {
    struct Case {
        std::optional<std::string> currentDirectory;
        std::string expected;
    } cases[] = {
        {"C:\\", "C:\\"},                 // drive root: already ends in its separator
        {"D:\\GAME", "D:\\GAME\\"},       // deeper: exactly one backslash added
        {"D:\\GAME\\", "D:\\GAME\\\\"},   // longer and already ending in one: a second
        {"D:\\A", "D:\\A\\"},             // four characters is past the root rule
        {"D:\\Spiele\\M\xf6rva \xa9", "D:\\Spiele\\M\xf6rva \xa9\\"}, // ANSI bytes untouched
        {std::nullopt, ""},               // unreadable: empty, never a stale buffer
    };
    for (const Case& c : cases) {
        RecordingShell shell;
        shell.currentDirectoryResult = c.currentDirectory;
        appProperties profile;
        EXPECT_EQ(profile.GetBaseDir(), c.expected)
            << "current directory " << c.currentDirectory.value_or("(unreadable)");
    }
}

TEST(BaseDir, IsReadOnceAndDoesNotMoveWithTheCurrentDirectory) {
    RecordingShell shell;
    appProperties profile;
    shell.currentDirectoryResult = "E:\\ELSEWHERE";
    EXPECT_EQ(profile.GetBaseDir(), "D:\\GAME\\");
    EXPECT_EQ(shell.currentDirectoryReads, 1);
}

TEST(PackageFolder, IsTheCurrentDirectoryUnlessOnlyTheLaunchersOwnHoldsTheGame) {
    const std::string launcher = "E:\\MORVA\\MorvaLauncher.exe", beside = "E:\\MORVA\\duke3d.exe";
    struct Case {
        std::optional<std::string> currentDirectory, executablePath;
        std::set<std::string> games;
        std::string movedTo; // empty: it stays
    } cases[] = {
        {"D:\\GAME", launcher, {"D:\\GAME\\duke3d.exe", beside}, ""}, // in both: it wins
        {"C:\\Windows\\System32", launcher, {beside}, "E:\\MORVA"},
        {"D:\\EMPTY", launcher, {}, ""},                 // in neither
        {std::nullopt, launcher, {beside}, "E:\\MORVA"}, // unreadable: holds no game
        {"D:\\EMPTY", std::nullopt, {beside}, ""},       // the launcher's path cut short
        {"D:\\EMPTY", "E:\\MorvaLauncher.exe", {"E:\\duke3d.exe"}, "E:\\"}, // drive roots
        {"C:\\", launcher, {"C:\\duke3d.exe", beside}, ""},
    };
    for (const Case& c : cases) {
        RecordingShell shell;
        shell.currentDirectoryResult = c.currentDirectory;
        shell.existingFiles = c.games;
        enterThePackageFolder(c.executablePath);
        std::string where = c.currentDirectory.value_or("(unreadable)");
        EXPECT_EQ(shell.calls,
                  c.movedTo.empty() ? Calls{} : Calls{call("setCurrentDirectory", c.movedTo)})
            << where;
        EXPECT_EQ(appProperties().GetBaseDir(),
                  baseDirFor(c.movedTo.empty() ? c.currentDirectory.value_or("") : c.movedTo))
            << where;
    }
}

TEST(Profile, StartsWithEmptyNamesAndKeepsWhatIsSet) {
    RecordingShell shell;
    appProperties profile;
    EXPECT_EQ(profile.GetShortcutName() + profile.GetGameExe() + profile.GetSetupExe() +
                  profile.GetReadmeFile(),
              "");
    profile = shippedProfile();
    EXPECT_EQ(profile.GetShortcutName(), "The Realm of Morva");
    EXPECT_EQ(profile.GetGameExe(), "duke3d.exe");
    EXPECT_EQ(profile.GetSetupExe(), "setup.exe");
    EXPECT_EQ(profile.GetReadmeFile(), "Morva.txt");
    EXPECT_TRUE(shell.calls.empty()) << "the profile itself launches nothing";
}

TEST(LaunchActions, HandTheShellExactlyTheirFileAndParameters) {
    struct Case {
        const char* name;
        const LaunchAction& action;
        ShellCall expected;
    } cases[] = {
        {"single play", singlePlayAction,
         shellExecuteCall("D:\\GAME\\duke3d.exe", "/xmorva.con /gmorva.grp /dmorva.dmo")},
        {"multiplayer setup", multiplayerSetupAction,
         shellExecuteCall("D:\\GAME\\setup.exe", "/xmorva.con /gmorva.grp")},
        {"alternative demo", alternativeDemoAction,
         shellExecuteCall("D:\\GAME\\duke3d.exe", "/xmorva.con /gmorva.grp /dmorva.amo")},
        {"readme", readmeAction, shellExecuteCall("D:\\GAME\\Morva.txt", "")},
        {"credits", creditsAction, shellExecuteCall("D:\\GAME\\Morvcrd.txt", "")},
        {"interview", interviewAction, shellExecuteCall("D:\\GAME\\Morvint.txt", "")},
        {"author's web page", authorWebPageAction,
         shellExecuteCall("https://quillet.example.org/", "")},
    };
    for (const Case& c : cases) {
        RecordingShell shell;
        runLaunchAction(c.action, shippedProfile());
        EXPECT_EQ(shell.calls, Calls{c.expected}) << c.name;
    }
}

TEST(LaunchActions, TakeTheReadmeNameFromTheProfileButNotTheOtherDocuments) {
    RecordingShell shell;
    appProperties profile;
    profile.SetReadmeFile("Other.txt");
    EXPECT_EQ(launchFile(readmeAction, profile), "D:\\GAME\\Other.txt");
    EXPECT_EQ(launchFile(creditsAction, profile), "D:\\GAME\\Morvcrd.txt");
    EXPECT_EQ(launchFile(interviewAction, profile), "D:\\GAME\\Morvint.txt");
}

TEST(LaunchActions, NameTheBareFileWhenTheDirectoryWasUnreadable) {
    RecordingShell shell;
    shell.currentDirectoryResult = std::nullopt;
    runLaunchAction(singlePlayAction, shippedProfile());
    EXPECT_EQ(shell.calls,
              Calls{shellExecuteCall("duke3d.exe", "/xmorva.con /gmorva.grp /dmorva.dmo")});
}

TEST(Launch, ReportsOnlyAMissingFileOrPath) {
    const std::string file = "D:\\GAME\\duke3d.exe";
    const ShellCall execute = shellExecuteCall(file, "/x");
    const ShellCall fileError =
        messageBoxCall("Cannot find the file...D:\\GAME\\duke3d.exe", "File Error", 0x10);
    struct Case {
        std::intptr_t result;
        Calls expected;
    } cases[] = {
        {2, {execute, fileError}},  // ERROR_FILE_NOT_FOUND
        {3, {execute, fileError}},  // ERROR_PATH_NOT_FOUND
        {0, {execute}},             // out of memory
        {5, {execute}},             // access denied
        {31, {execute}},            // no association
        {32, {execute}},            // still a failure value, not ours to report
        {42, {execute}},            // success
    };
    for (const Case& c : cases) {
        RecordingShell shell;
        shell.shellExecuteResult = c.result;
        msShell launcher;
        launcher.Launch(file, "/x");
        EXPECT_EQ(shell.calls, c.expected) << "shell result " << c.result;
    }
}

TEST(Launch, RepeatedLaunchesEachReachTheShell) {
    RecordingShell shell;
    appProperties profile = shippedProfile();
    runLaunchAction(singlePlayAction, profile);
    runLaunchAction(singlePlayAction, profile);
    EXPECT_EQ(shell.calls.size(), 2u);
}

} // namespace
