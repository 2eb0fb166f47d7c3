#pragma once
// What every window of Setka640DKV_KVM is given where the program is assembled.
#include "common/dialog_service.h"
#include "common/launcher.h"
#include "workwindow/wizard_state.h"

namespace livna {

class UsbPipes;

/// Services every window is given where the program is assembled (real ones in main, fakes in tests).
struct AppContext {
    DialogService& dialogs;
    Launcher& launcher;
    WizardState& state;
    /// The one direct USB link the work windows share; none where a program or test runs
    /// without one (connect then finds no panel).
    UsbPipes* usb = nullptr;
};

}  // namespace livna
