#include "wizard/startup.h"

#include <QDir>

#include "wizard/generalunit.h"
#include "wizard/platform.h"

namespace livna {

void prepareProgramFolder(const QString& programDir) {
    QDir::setCurrent(programDir);
    QDir here = QDir::current();
    for (const char* name : kProgramFolders) {
        const QString folder = QString::fromUtf8(name);
        if (!here.exists(folder)) here.mkdir(folder);
        applyFolderAttributes(here.absoluteFilePath(folder));
    }
}

void showUncaughtException(DialogService& dialogs, std::exception_ptr error) {
    std::string text = "Неизвестная ошибка.";
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    dialogs.inform(kApplicationTitle, text, MsgIcon::Error);
}

LivnaApplication::LivnaApplication(int& argc, char** argv, DialogService& dialogs)
    : QApplication(argc, argv), m_dialogs(dialogs) {
    setApplicationName(QString::fromUtf8(kApplicationTitle));
}

bool LivnaApplication::notify(QObject* receiver, QEvent* event) {
    // Qt must not be unwound by an exception; this is the outermost place an event handler's
    // exception can be caught.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showUncaughtException(m_dialogs, std::current_exception());
        return false;
    }
}

}  // namespace livna
