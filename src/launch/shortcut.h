// The desktop shortcut: a shell link to the launcher, written through the shell's link object.
#pragma once

#include <optional>
#include <string>

class appProperties;

class msLink {
public:
    virtual ~msLink() = default;

    // A special folder's path; empty, after an "Error" box, when it cannot be found.
    std::string GetSpecialFolderPath(int folder);

    // Writes linkFolder\linkName.lnk pointing at directory\executableName, started in
    // directory. True when the link file was written; each failing step shows its own box.
    bool CreateShortcut(const std::string& directory, const std::string& executableName,
                        const std::string& linkFolder, const std::string& linkName);
};

// A directory and a name with one backslash between them: none added when the directory
// already ends in one, one added after an empty directory.
std::string joinPath(const std::string& directory, const std::string& name);

// The Desktop Icon action: the link on the desktop, then a closing box saying how it went.
// `executablePath` is the running launcher's full path, nothing when it could not be read whole.
void runDesktopIconAction(const appProperties& profile,
                          const std::optional<std::string>& executablePath);
