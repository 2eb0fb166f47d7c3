#pragma once
// What the editor window benchmarks share: the fake services a window is given and a program
// folder of their own.
#include <QString>
#include <QTemporaryDir>

#include "common/dialog_service.h"
#include "common/launcher.h"
#include "workwindow/app_context.h"

namespace livna::bench {

struct WindowServices {
    ScriptedDialogService dialogs;
    RecordingLauncher launcher;
    WizardState state;
    AppContext ctx{dialogs, launcher, state};
};

/// One temporary program folder for the whole run.
inline QString benchFolder() {
    static QTemporaryDir folder;
    return folder.path();
}

}  // namespace livna::bench
