// Setka640DKV_KVM: the wizard and the three work windows on the direct USB link.
#include <QCoreApplication>

#include "ui/application.h"
#include "ui/desktop_launcher.h"
#include "ui/qt_dialog_service.h"
#include "usblink/system_platform.h"
#include "usblink/usb_link.h"
#include "wizard/bootunit.h"
#include "wizard/wizardwindows.h"
#include "workwindow/work_window.h"

int main(int argc, char** argv) {
    livna::QtDialogService dialogs;
    livna::LivnaApplication app(argc, argv, dialogs, livna::kApplicationTitle);
    try {
        livna::prepareProgramFolder(QCoreApplication::applicationDirPath(), livna::kProgramFolders);
        livna::DesktopLauncher launcher;
        livna::WizardState state;
        // The panel's driver on Windows; its stand-in, the panel folders under the default USB
        // root, elsewhere.
        const auto usbPlatform = livna::makeSystemUsbPlatform();
        livna::SystemSleeper sleeper;
        livna::UsbPipes usb(*usbPlatform, sleeper);
        livna::AppContext ctx{dialogs, launcher, state, &usb};
        livna::WizardWindows windows(ctx);
        QObject::connect(windows.boot(), &livna::TBootForm::programEndRequested, &app,
                         &QCoreApplication::quit, Qt::QueuedConnection);
        windows.boot()->show();
        return app.exec();
    } catch (...) {
        livna::showUncaughtException(dialogs, std::current_exception(), livna::kApplicationTitle);
        return 1;
    }
}
