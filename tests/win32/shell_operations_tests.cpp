// The Win32 side of the platform seam against Wine's real shell, file system and message boxes:
// what it reads, starts and shows. The link file it writes: link_file_tests.cpp.
#include "com.h"
#include "launcher.h"
#include "shell_operations_win32.h"
#include "win32_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

namespace {

// Runs each test from inside a fresh package folder holding the stand-in game and setup
// programs, and puts the test process's directory back afterwards.
class RealShell : public ::testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryA(MAX_PATH, previousDirectory_);
        package_.addStandIn("duke3d.exe");
        package_.addStandIn("setup.exe");
        ASSERT_TRUE(SetCurrentDirectoryA(package_.path().c_str())) << package_.path();
    }
    void TearDown() override { SetCurrentDirectoryA(previousDirectory_); }

    Win32ShellOperations backend_;
    ScopedShellOperations installed_{backend_};
    PackageFolder package_;

private:
    char previousDirectory_[MAX_PATH] = "";
};

TEST_F(RealShell, ReadsTheCurrentDirectoryAndExecutablePath) {
    EXPECT_EQ(backend_.currentDirectory().value_or("(nothing)"), package_.path());
    std::string exe = backend_.executablePath().value_or("(nothing)");
    EXPECT_EQ(exe, testBinaryDirectory() + "win32_tests.exe");
}

TEST_F(RealShell, StartsTheGameAndSetupWithExactlyTheirParameters) {
    struct Case {
        const LaunchAction& action;
        std::string program;
    } cases[] = {
        {singlePlayAction, "duke3d.exe"},
        {multiplayerSetupAction, "setup.exe"},
        {alternativeDemoAction, "duke3d.exe"},
    };
    appProperties profile = shippedProfile();
    size_t expectedStarts = 0;
    for (const Case& c : cases) {
        runLaunchAction(c.action, profile);
        std::vector<StandInStart> starts = package_.waitForStarts(++expectedStarts);
        ASSERT_EQ(starts.size(), expectedStarts) << c.program << " never started";
        const StandInStart& start = starts.back();
        EXPECT_EQ(start.program, package_.file(c.program));
        EXPECT_EQ(start.arguments, c.action.parameters) << c.program;
        EXPECT_EQ(start.directory, package_.path()) << "inherits the launcher's directory";
    }
}

TEST_F(RealShell, ProgramStartedWithEmptyParametersGetsNoArguments) {
    msShell launcher;
    launcher.Launch(package_.file("duke3d.exe"), "");
    std::vector<StandInStart> starts = package_.waitForStarts(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].arguments, "");
    // COM came first, in the apartment the shell asks for: initialised already.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
}

TEST_F(RealShell, MissingSetupShowsTheFileErrorBox) {
    DeleteFileA(package_.file("setup.exe").c_str());
    appProperties profile = shippedProfile();
    std::intptr_t result = -1;
    SeenBox box = watchMessageBox(GetCurrentThreadId(), "File Error", [&] {
        result = backend_.shellExecute(profile.GetBaseDir() + "setup.exe", "");
        runLaunchAction(multiplayerSetupAction, profile);
    });
    EXPECT_TRUE(result == 2 || result == 3) << "shell result " << result;
    ASSERT_TRUE(box.found) << "no File Error box";
    EXPECT_EQ(box.text, "Cannot find the file..." + package_.file("setup.exe"));
    EXPECT_EQ(box.owner, nullptr) << "the launcher's box has no owner";
    EXPECT_TRUE(package_.starts().empty()) << "nothing else started";
}

TEST_F(RealShell, ApplicationBoxIsUnownedUntilTheWindowingLayerBindsIt) {
    SeenBox box = watchMessageBox(GetCurrentThreadId(), "Success", [&] {
        backend_.appMessageBox("text", "Success", mbIconAsterisk);
    });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "text");
    EXPECT_EQ(box.owner, nullptr);
}

// COM on a thread already in another apartment is usable but not ours: once that apartment has
// gone, the next call starts it, apartment-threaded as the shell asks.
TEST(ComOnThisThread, IsStartedOnceItCanBe) {
    std::thread([] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_TRUE(initializeComOnThisThread()) << "usable in the other apartment";
        CoUninitialize();
        EXPECT_TRUE(initializeComOnThisThread());
        APTTYPE type = APTTYPE_MTA; // sentinels
        APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
        EXPECT_EQ(CoGetApartmentType(&type, &qualifier), S_OK) << "no COM: not tried again";
        EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA) << type;
    }).join();
}

} // namespace
