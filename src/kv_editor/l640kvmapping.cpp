// KvApplyImage and KvGatherImage: the image is decoded into the model and encoded from it in
// kv_model.cpp; here the model is copied to the controls and back, one pass each way.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTabWidget>
#include <QTableView>

#include "kv_editor/kv_grids.h"
#include "kv_editor/l640kvunit.h"
#include "ui/exit_guard.h"

namespace livna {

namespace {

constexpr int kModeItems = 3;   ///< sound, backlight and each relay offer three choices
constexpr int kResetItems = 2;  ///< "Разрешен", "Запрещен"

/// The item a stored value names, or none (-1) when the control has no such item.
int itemOf(std::int32_t value, int items) {
    return value >= 0 && value < items ? value : -1;
}

/// The value a control stores: its item, or the value read when it shows no choice.
std::int32_t valueOf(int item, std::int32_t read) {
    return item >= 0 ? item : read;
}

}  // namespace

void TL640KVForm::setCounter(const SecondsField& field, int position) {
    field.counter->setPosition(position);
    // The edit follows even when the position stays, so a cleared edit shows the value again.
    field.edit->setText(QString::number(field.counter->position()));
}

void TL640KVForm::setTmpLines(const SettingsImage& image) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(image.size()));
    for (std::int32_t value : image.values()) lines << QString::number(value);
    m_tmpLines->setStringList(lines);
}

void TL640KVForm::KvApplyImage(const SettingsImage& image) {
    kv::Decoded decoded = kv::decode(image);
    m_model = std::move(decoded.settings);
    setTmpLines(image);
    showModel();
    tellDroppedZones(decoded.droppedZones);
}

void TL640KVForm::showModel() {
    const kv::Settings& s = m_model;
    m_passwordReset->setCurrentIndex(itemOf(s.passwordReset, kResetItems));
    m_engineerPassword->setText(QString::fromStdString(s.engineerPassword));
    m_administratorPassword->setText(QString::fromStdString(s.administratorPassword));
    setCounter(m_codeCount, s.codeCount);
    m_relay1->setItemIndex(itemOf(s.relay1, kModeItems));
    m_relay2->setItemIndex(itemOf(s.relay2, kModeItems));
    m_sound->setItemIndex(itemOf(s.soundMode, kModeItems));
    setCounter(m_soundDuration, s.soundDuration);
    m_backlight->setItemIndex(itemOf(s.backlightMode, kModeItems));
    setCounter(m_backlightDuration, s.backlightDuration);
    m_speed->setCurrentIndex(s.fastSpeed ? 1 : 0);
    for (std::size_t i = 0; i < m_notices.size(); ++i) {
        const NoticeRow& row = m_notices[i];
        const QSignalBlocker troubleQuiet(row.trouble);
        const QSignalBlocker alarmQuiet(row.alarm);
        row.trouble->setChecked(s.notices[i] == kv::Notice::Trouble);
        row.alarm->setChecked(s.notices[i] == kv::Notice::Alarm);
    }

    // The grids read the model; the edit fields belong to no row until one is chosen. Nothing is
    // switched on here, so an image shown during an exchange leaves the window as busy as it was.
    m_codeGridModel->refill();
    m_objectGridModel->refill();
    clearCodeFields();
    m_objectSaveButton->setEnabled(false);
    m_objectGrid->setCurrentIndex(m_objectGridModel->index(0, 0));
}

void TL640KVForm::gatherControls(kv::Settings& s) const {
    s.passwordReset = valueOf(m_passwordReset->currentIndex(), s.passwordReset);
    s.engineerPassword = m_engineerPassword->text().toStdString();
    s.administratorPassword = m_administratorPassword->text().toStdString();
    s.codeCount = m_codeCount.counter->position();
    s.relay1 = valueOf(m_relay1->itemIndex(), s.relay1);
    s.relay2 = valueOf(m_relay2->itemIndex(), s.relay2);
    s.soundMode = valueOf(m_sound->itemIndex(), s.soundMode);
    s.soundDuration = m_soundDuration.counter->position();
    s.backlightMode = valueOf(m_backlight->itemIndex(), s.backlightMode);
    s.backlightDuration = m_backlightDuration.counter->position();
    s.fastSpeed = m_speed->currentIndex() == 1;
    for (std::size_t i = 0; i < m_notices.size(); ++i) {
        const NoticeRow& row = m_notices[i];
        // The alarm box wins when both are ticked.
        s.notices[i] = row.alarm->isChecked()     ? kv::Notice::Alarm
                       : row.trouble->isChecked() ? kv::Notice::Trouble
                                                  : kv::Notice::Unused;
    }
}

std::optional<SettingsImage> TL640KVForm::KvGatherImage() {
    kv::Settings s = m_model;
    gatherControls(s);
    auto result = kv::encode(s);
    if (const kv::Refusal* refusal = std::get_if<kv::Refusal>(&result)) {
        refuse(*refusal);
        return std::nullopt;
    }
    m_model = std::move(s);
    SettingsImage image = std::get<SettingsImage>(std::move(result));
    setTmpLines(image);
    return image;
}

void TL640KVForm::refuse(const kv::Refusal& refusal) {
    QString text;
    QWidget* field = nullptr;
    switch (refusal.field) {
        case kv::Field::EngineerPassword:
            text = QStringLiteral("Поле \"Пароль инженера\" должно содержать только цифры, не более 4.");
            field = m_engineerPassword;
            break;
        case kv::Field::AdministratorPassword:
            text =
                QStringLiteral("Поле \"Пароль администратора\" должно содержать только цифры, не более 6.");
            field = m_administratorPassword;
            break;
        case kv::Field::Code:
            text =
                QStringLiteral("Код %1 (\"%2\") должен содержать только цифры, не более 6.")
                    .arg(refusal.code)
                    .arg(QString::fromStdString(m_model.codes[static_cast<std::size_t>(refusal.code) - 1]));
            field = m_codeGrid;
            m_codeGrid->setCurrentIndex(m_codeGridModel->index(refusal.code - 1, 1));
            break;
    }
    context().dialogs.inform(kCaptionSystemMessage,
                             (text + QStringLiteral("\nИсправьте его: настройки не записаны.")).toStdString(),
                             MsgIcon::Warning);
    bringPageToFront(field);
    field->setFocus(Qt::OtherFocusReason);
}

void TL640KVForm::tellDroppedZones(const std::vector<kv::DroppedZone>& dropped) {
    if (dropped.empty()) return;
    const kv::DroppedZone& first = dropped.front();
    const QString text = QStringLiteral(
                             "В настройках зон, назначенных объектам вне диапазона 1..768: %1 (первая: РПД "
                             "%2, ШС %3, объект %4).\n"
                             "Эти зоны показаны свободными; запись в прибор освободит их и в приборе.")
                             .arg(dropped.size())
                             .arg(first.detector)
                             .arg(first.zone)
                             .arg(first.object);
    context().dialogs.inform(kCaptionSystemMessage, text.toStdString(), MsgIcon::Warning);
}

void TL640KVForm::connectMapping() {
    // Ticking one box of a notification pair unticks the other; unticking leaves both unticked.
    for (const NoticeRow& row : m_notices) {
        for (auto [box, other] : {std::pair{row.trouble, row.alarm}, std::pair{row.alarm, row.trouble}})
            connect(box, &QCheckBox::toggled, this, [other](bool on) {
                if (!on) return;
                const QSignalBlocker quiet(other);
                other->setChecked(false);
            });
    }
}

}  // namespace livna
