#pragma once
// The services a window of Setka640DKV_KVM is given in tests.
#include "common/dialog_service.h"
#include "common/launcher.h"
#include "workwindow/app_context.h"

namespace livna::test {

/// The fakes a window is given in tests, and the AppContext over them. Not copyable.
struct FakeServices {
    ScriptedDialogService dialogs;
    RecordingLauncher launcher;
    WizardState state;
    AppContext ctx{dialogs, launcher, state};
};

}  // namespace livna::test
