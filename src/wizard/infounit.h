#pragma once
// TInfoForm: how to prepare the panel, and the way into the work window of the chosen job.
#include <QDialog>
#include <QStringList>

#include "workwindow/work_window.h"

class QListWidget;
class QPushButton;
class QTimer;

namespace livna {

/// The lines of the info list for the wizard's choices; the last kInfoRedLines are drawn red.
QStringList infoLines(const WizardState& state);
inline constexpr int kInfoRedLines = 3;
/// NextButton stays disabled this long after each showing.
inline constexpr int kInfoDelayMs = 500;

/// Which work window the info window's Next opens.
enum class WorkJob { None, KvEditor, Firmware, KvmEditor };
WorkJob workJobFor(const WizardState& state);

class TInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TInfoForm(AppContext& ctx, QWidget* parent = nullptr);

    void setWorkWindows(QDialog* kvEditor, QDialog* firmware, QDialog* kvmEditor);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;  // BackButton, Esc and the close box
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void InfoTimerTimer();
    void NextButtonClick();

    AppContext& m_ctx;
    NameIndex m_names;
    QListWidget* m_list = nullptr;
    QPushButton* m_nextButton = nullptr;
    QPushButton* m_backButton = nullptr;
    QTimer* m_timer = nullptr;
    QDialog* m_kvEditor = nullptr;
    QDialog* m_firmware = nullptr;
    QDialog* m_kvmEditor = nullptr;
};

}  // namespace livna
