// The two list tabs: the access codes and the objects' zones. The rules live in kv_model.cpp;
// the handlers here copy between the controls and the model and show the refusals.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>

#include "kv_editor/kv_grids.h"
#include "kv_editor/l640kvunit.h"

namespace livna {

// ---- codes --------------------------------------------------------------------------------------

void TL640KVForm::codeCountChanged(int count) {
    kv::setCodeCount(m_model, count);
    // The edit fields belong to a row in use or to none.
    if (m_codeRow > m_model.codeCount) clearCodeFields();
    refillCodes();
}

void TL640KVForm::refillCodes() {
    m_codeGridModel->refill();
    if (m_codeRow == 0) return;
    // The row stays marked; the fields keep what is typed there.
    const QSignalBlocker quiet(m_codeGrid->selectionModel());
    m_codeGrid->setCurrentIndex(m_codeGridModel->index(m_codeRow - 1, 1));
}

void TL640KVForm::clearCodeFields() {
    m_codeRow = 0;
    m_codeNumber->clear();
    m_codeText->clear();
    for (QWidget* w : std::initializer_list<QWidget*>{m_codeNumber, m_codeText, m_codeSaveButton})
        w->setEnabled(false);
}

void TL640KVForm::showCodeRow(int row) {
    // The empty row shown at count 0 holds no code.
    if (row < 1 || row > m_model.codeCount) return;
    m_codeRow = row;
    m_codeNumber->setText(QString::number(row));
    m_codeText->setText(QString::fromStdString(m_model.codes[static_cast<std::size_t>(row) - 1]));
    m_codeNumber->setEnabled(true);
    m_codeText->setEnabled(true);
}

void TL640KVForm::CodeEditSaveButtonClick() {
    const kv::CodeVerdict verdict = kv::storeCode(m_model, m_codeRow, m_codeText->text().toStdString());
    if (verdict == kv::CodeVerdict::NoRow) return;
    if (verdict != kv::CodeVerdict::Stored) {
        context().dialogs.inform(kCaptionSystemMessage, kv::codeMessage(verdict), MsgIcon::Error);
        m_codeText->setFocus(Qt::OtherFocusReason);
        return;
    }
    refillCodes();
    m_codeSaveButton->setEnabled(false);
    m_codeGrid->setFocus(Qt::OtherFocusReason);
}

void TL640KVForm::DeleteCodeClick() {
    const int row = m_codeRow;
    if (!kv::deleteCode(m_model, row)) return;
    clearCodeFields();
    setCounter(m_codeCount, m_model.codeCount);
    // The code that moved into the row is shown, or none when the last row went.
    m_codeGridModel->refill();
    if (row <= m_model.codeCount) m_codeGrid->setCurrentIndex(m_codeGridModel->index(row - 1, 1));
}

// ---- objects ------------------------------------------------------------------------------------

void TL640KVForm::showObjectCell(int column, int object) {
    m_objectColumn = column;
    m_objectRow = object;
    const kv::ObjectEntry& entry = m_model.objects[static_cast<std::size_t>(object) - 1];
    m_objectNumber->setText(QString::number(object));
    m_objectOn->setChecked(entry.on);
    m_objectOn->setEnabled(entry.detector != 0);
    {
        const QSignalBlocker quiet(m_objectDetector);
        m_objectDetector->setCurrentIndex(entry.detector - 1);
        m_objectDetector->setEditText(QString::number(entry.detector));
    }
    showZoneBoxes(entry.detector);
    constexpr int kFirstZoneColumn = 4;
    if (column >= kFirstZoneColumn && entry.detector != 0) {
        const int zone = column - kFirstZoneColumn + 1;
        m_zoneNumber->setNum(zone);
        m_zoneObject->setNum(m_model.detectors[static_cast<std::size_t>(entry.detector) - 1]
                                 .objects[static_cast<std::size_t>(zone) - 1]);
    }
    m_objectSaveButton->setEnabled(false);
}

void TL640KVForm::showZoneBoxes(int detector) {
    const kv::ZoneBoxes boxes = kv::zoneBoxes(m_model, m_objectRow, detector);
    for (std::size_t s = 0; s < boxes.size(); ++s) {
        m_zones[s]->setChecked(boxes[s].ticked);
        m_zones[s]->setEnabled(boxes[s].enabled);
    }
}

void TL640KVForm::detectorTextChanged(const QString& text) {
    // The boxes always show the РПД in the field, none while it holds no РПД number.
    const kv::DetectorText read = kv::readDetector(text.toStdString());
    showZoneBoxes(read.verdict == kv::DetectorVerdict::Valid ? read.number : 0);
    m_objectSaveButton->setEnabled(false);
}

void TL640KVForm::ObjAssignSaveButtonClick() {
    const kv::DetectorText read = kv::readDetector(m_objectDetector->currentText().toStdString());
    if (read.verdict != kv::DetectorVerdict::Valid) {
        context().dialogs.inform(kCaptionSystemMessage, kv::detectorMessage(read.verdict), MsgIcon::Error);
        m_objectDetector->setFocus(Qt::OtherFocusReason);
        return;
    }
    kv::ZoneBoxes boxes{};
    for (std::size_t s = 0; s < boxes.size(); ++s)
        boxes[s] = {m_zones[s]->isEnabled(), m_zones[s]->isChecked()};
    kv::storeAssignment(m_model, m_objectRow, m_objectOn->isChecked(), read.number, boxes);
    m_objectGridModel->refill();
    // The reset left no cell current, so selecting the cell again shows it afresh.
    m_objectGrid->setCurrentIndex(m_objectGridModel->index(m_objectRow - 1, m_objectColumn));
}

void TL640KVForm::connectLists() {
    // A count typed into the edit reaches the counter too (the edit takes 0..32 only), so both
    // ways run this.
    connect(m_codeCount.counter, &UpDown::positionChanged, this, &TL640KVForm::codeCountChanged);
    connect(m_codeGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) showCodeRow(current.row() + 1);
            });
    // Only typing counts as a change: showing a row does not enable the button.
    connect(m_codeText, &QLineEdit::textEdited, m_codeSaveButton,
            [this] { m_codeSaveButton->setEnabled(true); });
    connect(m_codeSaveButton, &QPushButton::clicked, this, &TL640KVForm::CodeEditSaveButtonClick);
    connect(m_codeGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_addCode->setEnabled(m_model.codeCount != 0);
        m_deleteCode->setEnabled(m_model.codeCount != 0 && m_codeRow != 0);
        m_codeMenu->popup(m_codeGrid->viewport()->mapToGlobal(at));
    });
    connect(m_addCode, &QAction::triggered, this, [this] { m_codeText->setFocus(Qt::OtherFocusReason); });
    connect(m_deleteCode, &QAction::triggered, this, &TL640KVForm::DeleteCodeClick);

    connect(m_objectGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) showObjectCell(current.column(), current.row() + 1);
            });
    connect(m_objectDetector, &QComboBox::editTextChanged, this, &TL640KVForm::detectorTextChanged);
    for (QCheckBox* box : m_zones)
        connect(box, &QCheckBox::clicked, this, [this](bool ticked) {
            m_objectOn->setEnabled(ticked);
            m_objectSaveButton->setEnabled(true);
        });
    connect(m_objectOn, &QCheckBox::clicked, m_objectSaveButton,
            [this] { m_objectSaveButton->setEnabled(true); });
    connect(m_objectSaveButton, &QPushButton::clicked, this, &TL640KVForm::ObjAssignSaveButtonClick);
}

}  // namespace livna
