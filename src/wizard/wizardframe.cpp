#include "wizard/wizardframe.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace livna {

void setWizardFrame(QDialog* window, const QString& caption) {
    window->setWindowTitle(caption);
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint);
    window->setFixedSize(kWizardWidth, kWizardHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->availableGeometry();
        window->move(desktop.center() - QPoint(kWizardWidth / 2, kWizardHeight / 2));
    }
}

}  // namespace livna
