// The Win32 side of the launcher's platform seam: each operation is one documented call,
// passed exactly what the launcher promises to pass.
#pragma once

#include "shell_operations.h"

class Win32ShellOperations : public ShellOperations {
public:
    std::optional<std::string> currentDirectory() override;
    std::optional<std::string> executablePath() override;
    bool fileExists(const std::string& path) override;
    void setCurrentDirectory(const std::string& directory) override;
    std::intptr_t shellExecute(const std::string& file, const std::string& parameters) override;
    void messageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    // Unowned here; the windowing layer overrides it with the application's own box.
    void appMessageBox(const std::string& text, const std::string& caption,
                       unsigned flags) override;
    std::optional<std::string> specialFolderPath(int folder) override;
    void coInitialize() override;
    long createShellLink(ComInterface*& link) override;
    void setLinkPath(ComInterface* link, const std::string& path) override;
    void setLinkWorkingDirectory(ComInterface* link, const std::string& directory) override;
    void setLinkDescription(ComInterface* link, const std::string& description) override;
    long queryPersistFile(ComInterface* link, ComInterface*& persistFile) override;
    long savePersistFile(ComInterface* persistFile, const std::u16string& path) override;
    void release(ComInterface* object) override;
    std::optional<std::u16string> widePath(const std::string& path) override;
};
