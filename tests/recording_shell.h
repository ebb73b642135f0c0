// A stand-in for the platform seam that answers from its fields and records every call that
// reaches the outside world, in order.
#pragma once

#include "shell_operations.h"

#include <ostream>
#include <set>
#include <string>
#include <vector>

struct ShellCall {
    std::string operation; // "shellExecute", "messageBox" or "appMessageBox"
    std::string first;     // file, or message text
    std::string second;    // parameters, or caption
    unsigned flags = 0;    // message box flags

    bool operator==(const ShellCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ShellCall& call) {
    return out << call.operation << "(\"" << call.first << "\", \"" << call.second << "\", 0x"
               << std::hex << call.flags << std::dec << ")";
}

inline ShellCall shellExecuteCall(std::string file, std::string parameters) {
    return {"shellExecute", std::move(file), std::move(parameters), 0};
}
inline ShellCall messageBoxCall(std::string text, std::string caption, unsigned flags) {
    return {"messageBox", std::move(text), std::move(caption), flags};
}
inline ShellCall appMessageBoxCall(std::string text, std::string caption, unsigned flags) {
    return {"appMessageBox", std::move(text), std::move(caption), flags};
}

class RecordingShell : public ShellOperations {
public:
    std::optional<std::string> currentDirectoryResult = std::string("D:\\GAME");
    std::optional<std::string> executablePathResult = std::string("D:\\GAME\\MorvaLauncher.exe");
    std::intptr_t shellExecuteResult = 42; // above 32: success
    std::set<std::string> missingFiles;     // answered with ERROR_FILE_NOT_FOUND
    int currentDirectoryReads = 0;
    std::vector<ShellCall> calls;

    std::optional<std::string> currentDirectory() override {
        ++currentDirectoryReads;
        return currentDirectoryResult;
    }
    std::optional<std::string> executablePath() override { return executablePathResult; }
    std::intptr_t shellExecute(const std::string& file, const std::string& parameters) override {
        calls.push_back(shellExecuteCall(file, parameters));
        return missingFiles.count(file) ? seErrorFileNotFound : shellExecuteResult;
    }
    void messageBox(const std::string& text, const std::string& caption,
                    unsigned flags) override {
        calls.push_back(messageBoxCall(text, caption, flags));
    }
    void appMessageBox(const std::string& text, const std::string& caption,
                       unsigned flags) override {
        calls.push_back(appMessageBoxCall(text, caption, flags));
    }
};
