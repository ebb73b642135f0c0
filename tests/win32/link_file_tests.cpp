// The desktop link as the Win32 side writes it through the shell's real link object, read back
// by a fresh one, and one left for the independent reader (check_link.sh). The link's steps
// against the recording fake: unit/shortcut_tests.cpp.
#include "shell_operations_win32.h"
#include "shortcut.h"
#include "win32_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A package folder holding a stand-in launcher, with the real seam installed.
class LinkFile : public ::testing::Test {
protected:
    void SetUp() override { package_.addFile("MorvaLauncher.exe", "stand-in"); }
    std::string directory() const { return package_.path() + "\\"; }
    // The package's link written into `folder`; false when it was not.
    bool createLink(const std::string& folder) {
        return msLink().CreateShortcut(directory(), "MorvaLauncher.exe", folder,
                                       "The Realm of Morva");
    }

    Win32ShellOperations backend_;
    ScopedShellOperations installed_{backend_};
    PackageFolder package_;
};

TEST_F(LinkFile, IsWrittenWithExactlyItsThreePropertiesAndReadsBack) {
    REQUIRE_DISPOSABLE_MACHINE(); // it rewrites the desktop's link
    std::string desktop = backend_.specialFolderPath(16).value_or("(none)");
    // The test prefix's desktop is a plain folder of its own, never the home folder.
    EXPECT_NE(desktop.find("\\users\\"), std::string::npos) << desktop;
    for (const std::string& folder : {package_.path(), desktop}) {
        std::string linkPath = folder + "\\The Realm of Morva.lnk";
        DeleteFileA(linkPath.c_str());
        EXPECT_TRUE(createLink(folder)) << folder;
        ReadLink read = readLink(linkPath);
        EXPECT_TRUE(read.loaded) << linkPath;
        EXPECT_EQ(read.path, directory() + "MorvaLauncher.exe");
        EXPECT_EQ(read.workingDirectory, directory());
        EXPECT_EQ(read.description, "The Realm of Morva");
        EXPECT_EQ(read.arguments, "");
        EXPECT_EQ(read.iconLocation, "");
        EXPECT_EQ(read.hotkey, 0);
        if (folder == desktop)
            DeleteFileA(linkPath.c_str());
    }
}

TEST_F(LinkFile, SaveOntoAFolderOfTheSameNameFails) {
    CreateDirectoryA(package_.file("The Realm of Morva.lnk").c_str(), nullptr);
    bool created = true;
    SeenBox box = watchMessageBox(GetCurrentThreadId(), "Error",
                                  [&] { created = createLink(package_.path()); });
    EXPECT_FALSE(created);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "IPersistFile->Save() Error");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(isFolder(package_.file("The Realm of Morva.lnk")));
}

TEST_F(LinkFile, TooLongALinkPathIsAFailedSaveAndWritesNothing) {
    std::string folder = package_.path();
    while (folder.size() < 250) {
        folder += "\\deeper";
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    bool created = true;
    SeenBox box =
        watchMessageBox(GetCurrentThreadId(), "Error", [&] { created = createLink(folder); });
    EXPECT_FALSE(created);
    EXPECT_EQ(box.text, "IPersistFile->Save() Error");
    EXPECT_EQ(backend_.widePath(folder + "\\The Realm of Morva.lnk"), std::nullopt);
}

TEST_F(LinkFile, DesktopFolderLookupFailureIsReported) {
    // An identifier no folder has: both the lookup and its box are real.
    SeenBox box = watchMessageBox(GetCurrentThreadId(), "Error", [&] {
        msLink link;
        EXPECT_EQ(link.GetSpecialFolderPath(0x7f), "");
    });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "Could not get the location of a special folder");
}

// Leaves a link where the independent reader (lnkinfo, run by CTest next) finds it.
TEST(LinkForTheIndependentReader, IsWritten) {
    const char* output = std::getenv("MORVA_LNK_FOLDER");
    if (!output)
        GTEST_SKIP() << "run by CTest with MORVA_LNK_FOLDER";
    Win32ShellOperations backend;
    ScopedShellOperations installed(backend);
    CreateDirectoryA(output, nullptr);
    msLink link;
    EXPECT_TRUE(link.CreateShortcut("C:\\Games\\Morva\\", "MorvaLauncher.exe", output,
                                    "The Realm of Morva"));
}

} // namespace
