#pragma once
// The frame every wizard window has: 400 x 300, fixed single border with only the system menu and
// the minimise button besides the close box, centred on the desktop.
#include <QString>

class QDialog;

namespace livna {

inline constexpr int kWizardWidth = 400;
inline constexpr int kWizardHeight = 300;

void setWizardFrame(QDialog* window, const QString& caption);

}  // namespace livna
