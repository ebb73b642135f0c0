// A stand-in for the platform seam that answers from its fields and records every call that
// reaches the outside world, in order; it is the seam for its lifetime.
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

inline ShellCall call(std::string operation, std::string first = {}) {
    return {std::move(operation), std::move(first), {}, 0};
}

class RecordingShell : public ShellOperations {
public:
    // The interfaces it hands out, told apart when released.
    ComInterface* const linkObject = reinterpret_cast<ComInterface*>(0x1111);
    ComInterface* const persistFileObject = reinterpret_cast<ComInterface*>(0x2222);

    std::optional<std::string> specialFolderPathResult =
        std::string("C:\\Users\\Player\\Desktop");
    long createShellLinkResult = 0;
    long queryPersistFileResult = 0;
    long saveResult = 0;

    std::optional<std::string> currentDirectoryResult = std::string("D:\\GAME");
    std::intptr_t shellExecuteResult = 42; // above 32: success
    std::set<std::string> missingFiles;     // answered with ERROR_FILE_NOT_FOUND
    std::set<std::string> existingFiles;    // what fileExists finds
    int currentDirectoryReads = 0;
    std::vector<ShellCall> calls;

    std::optional<std::string> currentDirectory() override {
        ++currentDirectoryReads;
        return currentDirectoryResult;
    }
    std::optional<std::string> executablePath() override { return "D:\\GAME\\MorvaLauncher.exe"; }
    bool fileExists(const std::string& path) override { return existingFiles.count(path) > 0; }
    void setCurrentDirectory(const std::string& directory) override {
        calls.push_back(call("setCurrentDirectory", directory));
        currentDirectoryResult = directory;
    }
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

    std::optional<std::string> specialFolderPath(int folder) override {
        calls.push_back(call("specialFolderPath", std::to_string(folder)));
        return specialFolderPathResult;
    }
    void coInitialize() override { calls.push_back(call("coInitialize")); }
    long createShellLink(ComInterface*& link) override {
        calls.push_back(call("createShellLink"));
        link = createShellLinkResult < 0 ? nullptr : linkObject;
        return createShellLinkResult;
    }
    void setLinkPath(ComInterface* link, const std::string& path) override {
        calls.push_back(call("setLinkPath", nameOf(link) + " " + path));
    }
    void setLinkWorkingDirectory(ComInterface* link, const std::string& directory) override {
        calls.push_back(call("setLinkWorkingDirectory", nameOf(link) + " " + directory));
    }
    void setLinkDescription(ComInterface* link, const std::string& description) override {
        calls.push_back(call("setLinkDescription", nameOf(link) + " " + description));
    }
    long queryPersistFile(ComInterface* link, ComInterface*& persistFile) override {
        calls.push_back(call("queryPersistFile", nameOf(link)));
        persistFile = queryPersistFileResult < 0 ? nullptr : persistFileObject;
        return queryPersistFileResult;
    }
    long savePersistFile(ComInterface* persistFile, const std::u16string& path) override {
        calls.push_back(call("savePersistFile",
                             nameOf(persistFile) + " " + std::string(path.begin(), path.end())));
        return saveResult;
    }
    void release(ComInterface* object) override { calls.push_back(call("release", nameOf(object))); }
    // Byte for byte: the tests' paths are ASCII. Nothing past the 260-character buffer.
    std::optional<std::u16string> widePath(const std::string& path) override {
        if (path.size() >= maxPath)
            return std::nullopt;
        return std::u16string(path.begin(), path.end());
    }

private:
    std::string nameOf(ComInterface* object) const {
        return object == linkObject          ? "link"
               : object == persistFileObject ? "persistFile"
                                             : "unknown";
    }

    ScopedShellOperations installed_{*this};
};
