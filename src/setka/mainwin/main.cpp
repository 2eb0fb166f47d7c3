// setka: the main window of the earlier-generation configurator over a COM port or the
// Ливна-470 bridge. No arguments; every path is relative to the program's folder.
#include <QCoreApplication>

#include "setka/editor/l640.h"
#include "setka/link/ftdi_api.h"
#include "setka/link/serial_port.h"
#include "setka/mainwin/mainunit.h"
#include "ui/application.h"
#include "ui/desktop_launcher.h"
#include "ui/qt_dialog_service.h"

int main(int argc, char** argv) {
    livna::QtDialogService dialogs;
    livna::LivnaApplication app(argc, argv, dialogs, livna::kSetkaTitle);
    try {
        livna::prepareProgramFolder(QCoreApplication::applicationDirPath(), {});  // no folders of its own
        livna::DesktopLauncher launcher;
        livna::setka::LibFtdiApi ftdi;
        const livna::setka::PortBackends backends{livna::setka::defaultComRoot(), &ftdi, nullptr};
        livna::TMainForm form(dialogs, launcher, [&backends](livna::setka::PortKind kind, int comNumber) {
            return livna::setka::openLinkPort(kind, comNumber, backends);
        });
        form.show();
        return app.exec();
    } catch (...) {
        livna::showUncaughtException(dialogs, std::current_exception(), livna::kSetkaTitle);
        return 1;
    }
}
