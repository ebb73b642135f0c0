#include "shortcut.h"

#include "launcher.h"
#include "shell_operations.h"

namespace {

// Owns one interface obtained through the seam and releases it at the end of the scope.
class ComReference {
public:
    ComReference() = default;
    ~ComReference() {
        if (object_)
            shellOperations().release(object_);
    }
    ComReference(const ComReference&) = delete;
    ComReference& operator=(const ComReference&) = delete;

    ComInterface*& out() { return object_; }
    ComInterface* get() const { return object_; }

private:
    ComInterface* object_ = nullptr;
};

// The link object's limit counts UTF-16 characters, which a UTF-8 path has fewer of than bytes.
bool fitsPathLimit(const std::string& path) {
    return shellOperations().widePath(path).has_value();
}

} // namespace

std::string joinPath(const std::string& directory, const std::string& name) {
    if (!directory.empty() && directory.back() == '\\')
        return directory + name;
    return directory + "\\" + name;
}

std::string msLink::GetSpecialFolderPath(int folder) {
    std::optional<std::string> path = shellOperations().specialFolderPath(folder);
    if (!path) {
        shellOperations().messageBox("Could not get the location of a special folder", "Error",
                                     mbOk);
        return {};
    }
    return *path;
}

bool msLink::CreateShortcut(const std::string& directory, const std::string& executableName,
                            const std::string& linkFolder, const std::string& linkName) {
    ShellOperations& shell = shellOperations();
    // Called on every use and never undone: COM stays initialised for the thread.
    shell.coInitialize();

    ComReference link;
    if (shell.createShellLink(link.out()) < 0) {
        shell.messageBox("Could not initialize COM", "Error", mbOk);
        return false;
    }
    std::string target = joinPath(directory, executableName);
    shell.setLinkPath(link.get(), target);
    shell.setLinkWorkingDirectory(link.get(), directory);
    shell.setLinkDescription(link.get(), linkName);

    // Declared after the link, so released before it.
    ComReference persistFile;
    if (shell.queryPersistFile(link.get(), persistFile.out()) < 0) {
        shell.appMessageBox("Could not create a shortcut in " + linkFolder, "Error", mbOk);
        return false;
    }

    // A target past the link object's limit, or a link path that does not fit the wide buffer,
    // is a failed save: nothing truncated ever reaches Save.
    std::optional<std::u16string> linkPath = shell.widePath(joinPath(linkFolder, linkName + ".lnk"));
    bool saved = fitsPathLimit(target) && linkPath &&
                 shell.savePersistFile(persistFile.get(), *linkPath) == 0;
    if (!saved)
        shell.messageBox("IPersistFile->Save() Error", "Error", mbOk);
    return saved;
}

void runDesktopIconAction(const appProperties& profile,
                          const std::optional<std::string>& executablePath) {
    msLink link;
    std::string linkName = profile.GetShortcutName();
    std::string directory = profile.GetBaseDir();
    bool created = false;
    // No desktop, no readable package folder, or a launcher path cut short: a link would land
    // on the drive's root or point at the wrong file, so none is written.
    std::string linkFolder = link.GetSpecialFolderPath(csidlDesktopDirectory);
    if (!linkFolder.empty() && !directory.empty() && executablePath) {
        std::string executableName = executablePath->substr(executablePath->rfind('\\') + 1);
        created = link.CreateShortcut(directory, executableName, linkFolder, linkName);
    }
    if (created)
        shellOperations().appMessageBox("A shortcut to '" + linkName + "' has been " +
                                            "created on your desktop",
                                        "Success", mbIconAsterisk);
    else
        shellOperations().appMessageBox("Could not create a shortcut to '" + linkName +
                                            "' on your desktop",
                                        "Failure", mbIconHand);
}
