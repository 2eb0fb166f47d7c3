#pragma once
// Start-up of Setka640DKV_KVM: the program folder, and what happens to an exception nobody caught.
#include <QApplication>
#include <QString>

#include <exception>
#include <string>

#include "common/dialog_service.h"

namespace livna {

/// The folders the program keeps beside itself, in the order they are created.
inline constexpr const char* kProgramFolders[] = {"Reg_RPU", "Base_D", "Conf"};

/// Makes programDir the current directory (every relative path of the program resolves
/// against it) and creates the folders of kProgramFolders that are missing, leaving existing
/// ones and their content as they are; then gives each its attributes (applyFolderAttributes).
/// Failures are not reported: a folder that cannot be made shows up when it is used.
void prepareProgramFolder(const QString& programDir);

/// Shows an exception nobody caught in an error box with the application title.
void showUncaughtException(DialogService& dialogs, std::exception_ptr error);

/// The application object of Setka640DKV_KVM. An exception thrown by an event handler is shown
/// (showUncaughtException) and ends that operation; the program goes on.
class LivnaApplication : public QApplication {
public:
    LivnaApplication(int& argc, char** argv, DialogService& dialogs);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    DialogService& m_dialogs;
};

}  // namespace livna
