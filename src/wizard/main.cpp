// Setka640DKV_KVM: the wizard and the three work windows on the direct USB link.
#include <QCoreApplication>

#include "usblink/atmusbunit.h"
#include "usblink/fifo_platform.h"
#include "wizard/bootunit.h"
#include "wizard/desktoplauncher.h"
#include "wizard/generalunit.h"
#include "wizard/qtdialogservice.h"
#include "wizard/startup.h"
#include "wizard/wizardwindows.h"

int main(int argc, char** argv) {
    livna::QtDialogService dialogs;
    livna::LivnaApplication app(argc, argv, dialogs);
    try {
        livna::prepareProgramFolder(QCoreApplication::applicationDirPath());
        livna::DesktopLauncher launcher;
        livna::WizardState state;
        // The panel's driver stand-in: the panel folders under the default USB root.
        livna::FifoUsbPlatform usbPlatform(livna::defaultUsbRoot());
        livna::SystemSleeper sleeper;
        livna::UsbPipes usb(usbPlatform, sleeper, &dialogs);
        livna::AppContext ctx{dialogs, launcher, state, &usb};
        livna::WizardWindows windows(ctx);
        QObject::connect(windows.boot(), &livna::TBootForm::programEndRequested, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        windows.boot()->show();
        return app.exec();
    } catch (...) {
        livna::showUncaughtException(dialogs, std::current_exception());
        return 1;
    }
}
