#pragma once
// The launcher on the desktop: programs through QProcess, documents and links through the
// desktop's default handlers.
#include "common/launcher.h"

namespace livna {

class DesktopLauncher : public Launcher {
public:
    bool startProgram(const std::string& path) override;
    bool openDocument(const std::string& target) override;
};

}  // namespace livna
