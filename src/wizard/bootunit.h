#pragma once
// TBootForm, the main window: the choice of the radio system.
#include <QDialog>

#include "workwindow/work_window.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace livna {

class TBootForm : public QDialog {
    Q_OBJECT
public:
    explicit TBootForm(AppContext& ctx, QWidget* parent = nullptr);

    /// The windows this one opens; set once, when all windows exist.
    void setWindows(QDialog* modeWindow, QDialog* kvEditor);

signals:
    /// The installer confirmed leaving the program.
    void programEndRequested();

protected:
    void reject() override;  // ExitButton, Esc and the close box: the exit question
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BootButtonClick();
    void Button1Click();

    AppContext& m_ctx;
    NameIndex m_names;
    QGroupBox* m_sysType = nullptr;
    QRadioButton* m_items[2] = {nullptr, nullptr};
    QPushButton* m_bootButton = nullptr;
    QPushButton* m_button1 = nullptr;
    QDialog* m_modeWindow = nullptr;
    QDialog* m_kvEditor = nullptr;
};

}  // namespace livna
