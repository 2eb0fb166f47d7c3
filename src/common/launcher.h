#pragma once
// The shell's "open": starting a program from the program folder and opening documents and links.
#include <string>
#include <vector>

namespace livna {

class Launcher {
public:
    virtual ~Launcher() = default;
    /// Starts the program at path (relative to the current directory) with no arguments.
    /// Returns false when it could not be started.
    virtual bool startProgram(const std::string& path) = 0;
    /// Opens a file or a URL ("http://…", "mailto:…") with the desktop's default handler.
    virtual bool openDocument(const std::string& target) = 0;
};

/// Records the requests and starts nothing, for tests.
class RecordingLauncher : public Launcher {
public:
    bool startProgram(const std::string& path) override {
        programs.push_back(path);
        return startSucceeds;
    }
    bool openDocument(const std::string& target) override {
        documents.push_back(target);
        return openSucceeds;
    }
    std::vector<std::string> programs;
    std::vector<std::string> documents;
    bool startSucceeds = true;
    bool openSucceeds = true;
};

}  // namespace livna
