// The Win32 side of the launcher's platform seam: each operation is one documented call,
// passed exactly what the launcher promises to pass.
#pragma once

#include "shell_operations.h"

class Win32ShellOperations : public ShellOperations {
public:
    std::optional<std::string> currentDirectory() override;
    std::optional<std::string> executablePath() override;
    std::intptr_t shellExecute(const std::string& file, const std::string& parameters) override;
    void messageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    // Unowned here; the windowing layer overrides it with the application's own box.
    void appMessageBox(const std::string& text, const std::string& caption,
                       unsigned flags) override;
};
