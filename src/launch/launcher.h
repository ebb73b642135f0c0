// The launch profile (where the package lives, what its files are called), the launcher that
// hands one file to the shell, and the program's launch actions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The engine's file name: the shipped profile names it, and start-up looks for it.
inline constexpr std::string_view gameExeName = "duke3d.exe";

// Started where no game is (a Start-menu search starts programs in System32), the launcher
// moves into its own folder when the game is there, so that the profile, every launch and the
// link name the package beside it. A current directory holding the game wins; one that cannot
// be read holds none.
void enterThePackageFolder(const std::optional<std::string>& executablePath);

// The package's profile. The base directory is the current directory at construction, read
// once; the main window takes its names from shippedProfile().
class appProperties {
public:
    appProperties();
    virtual ~appProperties() = default;

    void SetShortcutName(const std::string& value) { ShortcutName = value; }
    void SetGameExe(const std::string& value) { GameExe = value; }
    void SetSetupExe(const std::string& value) { SetupExe = value; }
    void SetReadmeFile(const std::string& value) { ReadmeFile = value; }

    std::string GetBaseDir() const { return BaseDir; }
    std::string GetShortcutName() const { return ShortcutName; }
    std::string GetGameExe() const { return GameExe; }
    std::string GetSetupExe() const { return SetupExe; }
    std::string GetReadmeFile() const { return ReadmeFile; }

private:
    std::string BaseDir;
    std::string ShortcutName;
    std::string GameExe;
    std::string SetupExe;
    std::string ReadmeFile;
};

// The main window's profile: the package's names as the program ships them (the link's, the
// engine's, its setup program's and the readme's), on the base directory read now.
appProperties shippedProfile();

// The base directory for a current directory: a drive root ("C:\") as it is, any longer path
// with a backslash appended, and empty when the directory could not be read.
std::string baseDirFor(const std::string& currentDirectory);

// Opens one file, program or web address through the shell and reports a missing file.
class msShell {
public:
    virtual ~msShell() = default;
    void Launch(const std::string& file, const std::string& parameters);
};

// Where a launch action's file comes from.
enum class LaunchFile { GameExe, SetupExe, ReadmeFile, PackageFile, WebAddress };

struct LaunchAction {
    LaunchFile source;
    std::string_view name; // the fixed file name or address, for PackageFile and WebAddress
    std::string_view parameters;
};

inline constexpr std::string_view authorWebPage = "https://quillet.example.org/";

inline constexpr LaunchAction singlePlayAction{LaunchFile::GameExe, {},
                                               "/xmorva.con /gmorva.grp /dmorva.dmo"};
inline constexpr LaunchAction multiplayerSetupAction{LaunchFile::SetupExe, {},
                                                     "/xmorva.con /gmorva.grp"};
inline constexpr LaunchAction alternativeDemoAction{LaunchFile::GameExe, {},
                                                    "/xmorva.con /gmorva.grp /dmorva.amo"};
inline constexpr LaunchAction readmeAction{LaunchFile::ReadmeFile, {}, {}};
inline constexpr LaunchAction creditsAction{LaunchFile::PackageFile, "Morvcrd.txt", {}};
inline constexpr LaunchAction interviewAction{LaunchFile::PackageFile, "Morvint.txt", {}};
inline constexpr LaunchAction authorWebPageAction{LaunchFile::WebAddress, authorWebPage, {}};

// The file string an action hands to the shell, built from the profile.
std::string launchFile(const LaunchAction& action, const appProperties& profile);

// Runs one action: a launcher on the stack, one Launch, discarded.
void runLaunchAction(const LaunchAction& action, const appProperties& profile);
