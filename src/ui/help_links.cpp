#include "ui/help_links.h"

#include <QDir>
#include <QUrl>

namespace livna {

std::string helpTarget(const std::string& helpFile, bool winHelpShown, bool helpFileExists,
                       const std::string& page) {
    return (winHelpShown && helpFileExists) ? helpFile : page;
}

std::string webSiteUrl(const QString& caption) {
    return ("http://" + caption).toStdString();
}

std::string emailUrl(const QString& address) {
    return ("mailto:" + address + "?subject=Setka-640").toStdString();
}

std::string openFailureText(const std::string& target, const QString& currentDir) {
    // The file or the address stands alone on the last line, so that it can be copied as it is.
    const QString text = QString::fromStdString(target);
    QString told;
    if (text.startsWith(QStringLiteral("mailto:")))
        told = QStringLiteral(
                   "Не удалось открыть почтовую программу: на компьютере не найдена программа для писем.\n"
                   "Напишите письмо по адресу:\n%1")
                   .arg(QUrl(text).path());
    else if (text.contains(QStringLiteral("://")))
        told = QStringLiteral(
                   "Не удалось открыть ссылку: на компьютере не найден обозреватель.\n"
                   "Откройте в обозревателе адрес:\n%1")
                   .arg(text);
    else
        told = QStringLiteral(
                   "Не удалось открыть справку: на компьютере не найдена программа для ее просмотра.\n"
                   "Откройте файл:\n%1")
                   .arg(QDir::toNativeSeparators(QDir(currentDir).absoluteFilePath(text)));
    return told.toStdString();
}

}  // namespace livna
