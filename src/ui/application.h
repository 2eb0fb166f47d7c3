#pragma once
// Start-up of a program: its folder, and what happens to an exception nobody caught.
#include <QApplication>
#include <QString>

#include <exception>
#include <span>
#include <string>

#include "common/dialog_service.h"

namespace livna {

/// Makes programDir the current directory (every relative path of the program resolves against
/// it) and creates the listed folders that are missing, in order, leaving existing ones and their
/// content as they are; then gives each its attributes (applyFolderAttributes). Failures are not
/// reported: a folder that cannot be made shows up when it is used.
void prepareProgramFolder(const QString& programDir, std::span<const char* const> folders);

/// The folder beside the program that holds the copy of the toolkit's Russian translations, for a
/// system that has none of its own.
inline constexpr const char* kTranslationsFolder = "translations";

/// Installs the toolkit's own Russian translations (buttons of its dialogs, context menus of
/// fields) into app: the system's copy where the toolkit keeps its translations, otherwise the
/// copy in kTranslationsFolder under programDir. Returns false when neither could be loaded; the
/// toolkit then speaks English.
bool installQtTranslations(QCoreApplication& app, const QString& programDir);

/// Shows an exception nobody caught in an error box captioned with the application title.
void showUncaughtException(DialogService& dialogs, std::exception_ptr error, const std::string& title);

/// The application object of a program, speaking Russian through installQtTranslations. An exception thrown
/// by an event handler is shown (showUncaughtException) and ends that operation; the program goes on.
class LivnaApplication : public QApplication {
public:
    LivnaApplication(int& argc, char** argv, DialogService& dialogs, const std::string& title);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    DialogService& m_dialogs;
    std::string m_title;
};

}  // namespace livna
