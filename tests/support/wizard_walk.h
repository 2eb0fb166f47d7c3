#pragma once
// Walking the wizard of Setka640DKV_KVM to a work window as the installer does: the system, the
// job, the preparation list, "Продолжить >>" three times; and back again.
#include <QPushButton>
#include <QTest>

#include <functional>

#include "gui_harness.h"
#include "wizard/bootunit.h"
#include "wizard/wizardwindows.h"

namespace livna::test {

/// Items of the wizard's two choices, in their order on the windows.
enum class WizardSystem { Kv = 0, Kvm = 1 };
enum class WizardJob { FirmwareUpdate = 0, Settings = 1 };

/// Walks to the work window of system and job, runs body while it is up, closes it with Esc (when
/// body left it open) and walks back to a hidden first window.
inline void walkToWorkWindow(WizardWindows& windows, WizardSystem system, WizardJob job,
                             const std::function<void(QWidget*)>& body, int timeoutMs = kModalTimeoutMs) {
    showWindow(windows.boot());
    chooseRadio(windows.boot(), "SysTypeRdG", static_cast<int>(system));
    clickAndDrive(
        windows.boot(), "BootButton",
        [&](QWidget* mode) {
            chooseRadio(mode, "SysModeRdG", static_cast<int>(job));
            clickAndDrive(
                mode, "NextButton",
                [&](QWidget* info) {
                    if (!QTest::qWaitFor(
                            [info] { return control<QPushButton>(info, "NextButton")->isEnabled(); }, 2000))
                        fail("NextButton of the info window stayed off");
                    clickAndDrive(
                        info, "NextButton",
                        [&](QWidget* work) {
                            body(work);
                            if (work->isVisible()) pressKey(work, Qt::Key_Escape);
                        },
                        timeoutMs);
                    click(info, "BackButton");
                },
                timeoutMs);
            click(mode, "BackButton");
        },
        timeoutMs);
    windows.boot()->hide();
}

}  // namespace livna::test
