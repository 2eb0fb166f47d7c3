#pragma once
// TModeSelectForm: the choice of the job (firmware update or settings).
#include <QDialog>

#include "workwindow/work_window.h"

class QGroupBox;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace livna {

class TModeSelectForm : public QDialog {
    Q_OBJECT
public:
    explicit TModeSelectForm(AppContext& ctx, QWidget* parent = nullptr);

    void setInfoWindow(QDialog* infoWindow) { m_infoWindow = infoWindow; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void NextButtonClick();

    AppContext& m_ctx;
    NameIndex m_names;
    QGroupBox* m_sysMode = nullptr;
    QVBoxLayout* m_itemsLayout = nullptr;
    QList<QRadioButton*> m_items;
    QPushButton* m_nextButton = nullptr;
    QDialog* m_infoWindow = nullptr;
};

}  // namespace livna
