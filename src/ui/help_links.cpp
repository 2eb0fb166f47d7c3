#include "ui/help_links.h"

#include <QDir>
#include <QUrl>

namespace livna {

std::string helpTarget(const std::string& helpFile, bool winHelpShown, bool helpFileExists) {
    return (winHelpShown && helpFileExists) ? helpFile : kHelpPage;
}

std::string webSiteUrl(const QString& caption) {
    return ("http://" + caption).toStdString();
}

std::string emailUrl(const QString& address) {
    return ("mailto:" + address + "?subject=Setka-640").toStdString();
}

std::string openFailureText(const std::string& target, const QString& currentDir) {
    const QString text = QString::fromStdString(target);
    if (text.startsWith(QStringLiteral("mailto:"))) {
        const QString address = QUrl(text).path();
        return QStringLiteral(
                   "Не удалось открыть почтовую программу: на компьютере не найдена программа для писем.\n"
                   "Напишите письмо по адресу %1.")
            .arg(address)
            .toStdString();
    }
    if (text.contains(QStringLiteral("://")))
        return QStringLiteral(
                   "Не удалось открыть ссылку: на компьютере не найден обозреватель.\n"
                   "Откройте в обозревателе адрес %1.")
            .arg(text)
            .toStdString();
    return QStringLiteral(
               "Не удалось открыть справку: на компьютере не найдена программа для ее просмотра.\n"
               "Откройте файл %1.")
        .arg(QDir::toNativeSeparators(QDir(currentDir).absoluteFilePath(text)))
        .toStdString();
}

}  // namespace livna
