#include "ui/desktop_launcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

namespace livna {

bool DesktopLauncher::startProgram(const std::string& path) {
    const QString program = QDir::current().absoluteFilePath(QString::fromStdString(path));
    return QProcess::startDetached(program, {}, QDir::currentPath());
}

bool DesktopLauncher::openDocument(const std::string& target) {
    const QString text = QString::fromStdString(target);
    const QUrl url = text.contains(QStringLiteral("://")) || text.startsWith(QStringLiteral("mailto:"))
                         ? QUrl(text)
                         : QUrl::fromLocalFile(QDir::current().absoluteFilePath(text));
    return QDesktopServices::openUrl(url);
}

}  // namespace livna
