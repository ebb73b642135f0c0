#include "launcher.h"

#include "shell_operations.h"

std::string baseDirFor(const std::string& currentDirectory) {
    // A drive root already ends in its separator; every deeper directory comes without one.
    // A longer path that does end in a backslash still gets a second: callers never see one.
    if (currentDirectory.size() > 3)
        return currentDirectory + "\\";
    return currentDirectory;
}

void enterThePackageFolder(const std::optional<std::string>& executablePath) {
    ShellOperations& shell = shellOperations();
    const std::string game(gameExeName);
    std::optional<std::string> current = shell.currentDirectory();
    if (current && shell.fileExists(baseDirFor(*current) + game))
        return;
    // A path cut short may name another folder.
    size_t separator = executablePath ? executablePath->rfind('\\') : std::string::npos;
    if (separator == std::string::npos)
        return;
    // A drive root keeps its backslash: "E:" alone is the drive's own current directory.
    std::string folder = executablePath->substr(0, separator < 3 ? separator + 1 : separator);
    if (shell.fileExists(baseDirFor(folder) + game))
        shell.setCurrentDirectory(folder);
}

appProperties::appProperties() {
    // Unreadable (too long for the buffer): empty, so a launch names the bare file.
    BaseDir = baseDirFor(shellOperations().currentDirectory().value_or(std::string()));
}

appProperties shippedProfile() {
    appProperties profile;
    profile.SetShortcutName("The Realm of Morva");
    profile.SetGameExe(std::string(gameExeName));
    profile.SetSetupExe("setup.exe");
    profile.SetReadmeFile("Morva.txt");
    return profile;
}

void msShell::Launch(const std::string& file, const std::string& parameters) {
    std::intptr_t result = shellOperations().shellExecute(file, parameters);
    // Only a missing file is the player's to fix; other failures (no viewer registered,
    // access denied) are left to the shell.
    if (result == seErrorFileNotFound || result == seErrorPathNotFound)
        shellOperations().messageBox("Cannot find the file..." + file, "File Error", mbIconHand);
}

std::string launchFile(const LaunchAction& action, const appProperties& profile) {
    switch (action.source) {
    case LaunchFile::GameExe:
        return profile.GetBaseDir() + profile.GetGameExe();
    case LaunchFile::SetupExe:
        return profile.GetBaseDir() + profile.GetSetupExe();
    case LaunchFile::ReadmeFile:
        return profile.GetBaseDir() + profile.GetReadmeFile();
    case LaunchFile::PackageFile:
        return profile.GetBaseDir() + std::string(action.name);
    case LaunchFile::WebAddress:
        return std::string(action.name);
    }
    return {};
}

void runLaunchAction(const LaunchAction& action, const appProperties& profile) {
    msShell shell;
    shell.Launch(launchFile(action, profile), std::string(action.parameters));
}
