#include "ui/application.h"

#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include "ui/platform.h"

namespace livna {

void prepareProgramFolder(const QString& programDir, std::span<const char* const> folders) {
    QDir::setCurrent(programDir);
    QDir here = QDir::current();
    for (const char* name : folders) {
        const QString folder = QString::fromUtf8(name);
        if (!here.exists(folder)) here.mkdir(folder);
        applyFolderAttributes(here.absoluteFilePath(folder));
    }
}

bool installQtTranslations(QCoreApplication& app, const QString& programDir) {
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QDir(programDir).filePath(QString::fromUtf8(kTranslationsFolder))};
    for (const QString& folder : folders) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QStringLiteral("qtbase_ru"), folder) && app.installTranslator(translator))
            return true;
        delete translator;
    }
    return false;
}

void showUncaughtException(DialogService& dialogs, std::exception_ptr error, const std::string& title) {
    std::string text = "Неизвестная ошибка.";
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    dialogs.inform(title, text, MsgIcon::Error);
}

LivnaApplication::LivnaApplication(int& argc, char** argv, DialogService& dialogs, const std::string& title)
    : QApplication(argc, argv), m_dialogs(dialogs), m_title(title) {
    setApplicationName(QString::fromStdString(title));
    installQtTranslations(*this, applicationDirPath());
}

bool LivnaApplication::notify(QObject* receiver, QEvent* event) {
    // Qt must not be unwound by an exception; this is the outermost place an event handler's
    // exception can be caught.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showUncaughtException(m_dialogs, std::current_exception(), m_title);
        return false;
    }
}

}  // namespace livna
