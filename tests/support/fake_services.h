#pragma once
// The services a window of Setka640DKV_KVM is given in tests.
#include <QString>
#include <QStringList>

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

    /// The texts of the boxes shown since the dialogs were last cleared, in order.
    QStringList messageTexts() const {
        QStringList out;
        for (const auto& m : dialogs.messages()) out << QString::fromStdString(m.text);
        return out;
    }
};

}  // namespace livna::test
