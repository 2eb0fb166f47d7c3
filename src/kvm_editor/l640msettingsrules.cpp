// The field rules that keep dependent settings in step with their master setting. Each is
// written once: the edits call it, and ApplyImage calls it where showing an image must leave the
// same state an installer's edit would.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QRadioButton>
#include <QTabWidget>

#include "common/kvm_encoding.h"
#include "kvm_editor/l640msettingsunit.h"

namespace livna {

using namespace kvm;

namespace {

constexpr const char* kZeroNotAllowed = "Внимание! 0 недопустим!";
constexpr const char* kSecondsRange = "Диапазон возможных значений от 0 до 254!";
constexpr const char* kLoopMismatch = "Внимание! Несовпадение типа раздела с типом шлейфа!";

}  // namespace

QColor TL640MSettingsForm::rowInUseColour() {
    return QApplication::palette().color(QPalette::Base);
}

QColor TL640MSettingsForm::rowNotInUseColour() {
    return QApplication::palette("QMenu").color(QPalette::Window);
}

void TL640MSettingsForm::tellRule(const char* boxText, const QString& change) {
    if (!m_applying) {
        context().dialogs.inform(kCaptionSystemMessage, boxText, MsgIcon::Warning);
        return;
    }
    // Shown once for the whole image, when it is in place (tellApplyChanges).
    if (!m_applyChanges.contains(change)) m_applyChanges << change;
}

void TL640MSettingsForm::tellApplyChanges() {
    m_imageCorrected = !m_applyChanges.isEmpty();
    if (!m_imageCorrected) return;
    const QString text =
        QStringLiteral("Настройки показаны с исправлениями, так как в окне эти значения недопустимы:\n") +
        m_applyChanges.join(QLatin1Char('\n'));
    m_applyChanges.clear();
    context().dialogs.inform(kCaptionSystemMessage, text.toStdString(), MsgIcon::Warning);
}

void TL640MSettingsForm::passwordChangeRule(MaskedField* field) {
    const QString text = field->text();
    const auto zeros = text.count(u'0');
    if (zeros == 0) return;
    const QString change = QStringLiteral("«%1»: цифра 0 удалена.")
                               .arg(field == m_password ? QStringLiteral("Пароль инженера")
                                                        : QStringLiteral("Пароль пользователя"));
    for (qsizetype i = 0; i < zeros; ++i) tellRule(kZeroNotAllowed, change);
    removeCharacters(field, &keptInPassword);
}

void TL640MSettingsForm::secondsRangeRule(int i) {
    SecondsField& f = m_seconds.at(static_cast<std::size_t>(i));
    const QString text = f.edit->text().trimmed();
    if (text.isEmpty()) return;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) return;  // GatherImage refuses it, naming the field
    if (value >= 0 && value <= kSecondsMax) {
        f.counter->setPosition(value);
        return;
    }
    tellRule(kSecondsRange, QStringLiteral("«%1»: значение %2 вне диапазона от 0 до %3, выставлено 1.")
                                .arg(QString::fromUtf8(f.caption))
                                .arg(value)
                                .arg(kSecondsMax));
    f.edit->setText(QStringLiteral("1"));
}

void TL640MSettingsForm::internalSounderRule() {
    const bool on = !m_sounder[1]->isChecked();  // Keysound3, "Выключен"
    m_seconds[5].edit->setEnabled(on);
    m_seconds[5].counter->setEnabled(on);
}

void TL640MSettingsForm::backlightRule() {
    const bool on = m_backlight[2]->isChecked();  // LCD_key2, "Автомат."
    m_seconds[6].edit->setEnabled(on);
    m_seconds[6].counter->setEnabled(on);
}

void TL640MSettingsForm::voiceModuleRule() {
    const int item = m_voiceModule->itemIndex();
    if (item < 0) return;
    const bool on = item == 1;  // "Включен"
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_voicePlayGroup, m_voiceRemindGroup, m_autoReminder,
                                         m_reminderAfterDisarm, m_times[2], m_times[3], m_volume})
        w->setEnabled(on);
    if (on) {
        autoReminderRule();
    } else {
        m_times[0]->setEnabled(false);
        m_times[1]->setEnabled(false);
    }
}

void TL640MSettingsForm::autoReminderRule() {
    const int item = m_autoReminder->itemIndex();
    if (item < 0) return;
    m_times[0]->setEnabled(item == 1);  // "Включено"
    m_times[1]->setEnabled(item == 1);
}

void TL640MSettingsForm::partitionTypeRule(int k) {
    const PartitionRow& clicked = m_partitions.at(static_cast<std::size_t>(k - 1));
    for (int s = 1; s <= 2; ++s) {
        if (loopPartition(s) != k) continue;
        const int loopType = m_loopTypes[static_cast<std::size_t>(s - 1)]->currentIndex();
        const bool mismatch =
            (clicked.fire->isChecked() && loopType == 0) || (clicked.security->isChecked() && loopType == 1);
        if (!mismatch) continue;
        tellRule(
            kLoopMismatch,
            QStringLiteral("«ШС%1»: тип раздела %2 не совпадает с типом шлейфа, привязка к разделу снята.")
                .arg(s)
                .arg(k));
        m_loopPartitions[static_cast<std::size_t>(s - 1)]->setText(QStringLiteral(" 0"));
    }
    for (PartitionRow& row : m_partitions) {
        if (row.fire->isChecked()) {
            row.krs->setChecked(true);
            row.tix->setChecked(false);
            row.krs->setEnabled(false);
            row.tix->setEnabled(false);
        } else if (row.security->isChecked() || row.emergency->isChecked()) {
            row.krs->setEnabled(true);
            row.tix->setEnabled(true);
            row.krs->setChecked(false);
            row.tix->setChecked(false);
        }
    }
}

void TL640MSettingsForm::applyOutputPreset(int n, int modeItem) {
    OutputGroup& out = m_outputs.at(static_cast<std::size_t>(n - 1));
    const auto preset = outputPreset(relayModeCode(modeItem), n);
    if (!preset) return;
    for (int e = 0; e < kOutputEvents; ++e) {
        QCheckBox* box = out.events[static_cast<std::size_t>(e)];
        box->setChecked(e < 8 && ((preset->byteA >> e) & 1) != 0);
        box->setEnabled(false);
    }
    out.close->setCurrentIndex(preset->close);
    out.open->setCurrentIndex(preset->open);
    out.duration->setCurrentIndex(preset->duration);
    out.inverse->setCurrentIndex(preset->inverse);
    for (QComboBox* c : {out.close, out.open, out.duration, out.inverse}) c->setEnabled(false);
}

void TL640MSettingsForm::outputWorkModeRule(int n) {
    OutputGroup& out = m_outputs.at(static_cast<std::size_t>(n - 1));
    const int item = out.workMode->itemIndex();
    if (item == kModeSpecial) {
        // Byte B and the radio-channel blocking are equipment events the special mode does not serve.
        for (int e = 7; e < kOutputEvents; ++e) out.events[static_cast<std::size_t>(e)]->setChecked(false);
        for (QCheckBox* box : out.events) box->setEnabled(true);
        out.open->setEnabled(true);
        out.close->setEnabled(true);
        out.inverse->setEnabled(true);
        out.duration->setEnabled(false);
    } else if (item >= 0) {
        applyOutputPreset(n, item);
    }
    out.control->setCurrentIndex(0);  // "по событию": the only control this panel offers
    out.control->setEnabled(false);
}

void TL640MSettingsForm::specialModeTimingRule(int n) {
    OutputGroup& out = m_outputs.at(static_cast<std::size_t>(n - 1));
    const int open = out.open->currentIndex();
    const int close = out.close->currentIndex();
    auto lockAtOff = [](QComboBox* c) {
        c->setCurrentIndex(0);
        c->setEnabled(false);
    };
    if (open == 255) {
        lockAtOff(out.close);
        lockAtOff(out.duration);
    } else if (close == 255) {
        lockAtOff(out.open);
        lockAtOff(out.duration);
    } else if (close >= 1 && close <= 254 && open >= 1 && open <= 254) {
        out.duration->setEnabled(true);
    } else if (close > 0 && open > 0) {
        out.duration->setEnabled(true);
        out.close->setEnabled(true);
    } else if ((close == 0 && open >= 0) || (open == 0 && close >= 0)) {
        lockAtOff(out.duration);
        out.open->setEnabled(true);
        out.close->setEnabled(true);
    } else {
        out.duration->setEnabled(false);
    }
}

void TL640MSettingsForm::wiredLoopTypeRule(int s) {
    const std::size_t i = static_cast<std::size_t>(s - 1);
    const int type = m_loopTypes[i]->currentIndex();
    if (type == 1) {  // "пожарный"
        m_doubleTriggers[i]->setEnabled(true);
    } else if (type == 0) {
        m_doubleTriggers[i]->setChecked(false);
        m_doubleTriggers[i]->setEnabled(false);
    }
}

void TL640MSettingsForm::setRowInUse(AccessRow& row, bool inUse) {
    if (!inUse) {
        row.edit->clear();
        for (QCheckBox* box : row.partitions) box->setChecked(false);
    }
    // The row's own state, not the effective one: while an exchange holds the tabs off every row
    // reads as disabled, and a row leaving use must still be locked and greyed.
    const bool enabledNow = !row.edit->testAttribute(Qt::WA_ForceDisabled);
    if (enabledNow == inUse) return;  // colours and states already right
    row.edit->setEnabled(inUse);
    QPalette palette = row.edit->palette();
    const QColor colour = inUse ? rowInUseColour() : rowNotInUseColour();
    palette.setColor(QPalette::Active, QPalette::Base, colour);
    palette.setColor(QPalette::Inactive, QPalette::Base, colour);
    palette.setColor(QPalette::Disabled, QPalette::Base, colour);
    row.edit->setPalette(palette);
    for (QCheckBox* box : row.partitions) box->setEnabled(inUse);
}

void TL640MSettingsForm::codeCountRule() {
    m_codesInUse = m_codeCount.counter->position();
    for (int c = 0; c < kCodes; ++c) setRowInUse(m_codes[static_cast<std::size_t>(c)], c < m_codesInUse);
}

void TL640MSettingsForm::keyCountRule() {
    m_keysInUse = m_keyCount.counter->position();
    m_keyTabs->setTabVisible(1, m_keysInUse > kKeysPerPage);
    m_keyTabs->setTabVisible(2, m_keysInUse > 2 * kKeysPerPage);
    for (int k = 0; k < kKeys; ++k) setRowInUse(m_keys[static_cast<std::size_t>(k)], k < m_keysInUse);
}

void TL640MSettingsForm::showOwnName(int k, bool visible) {
    const PartitionRow& row = m_partitions.at(static_cast<std::size_t>(k - 1));
    row.ownName->setVisible(visible);
    row.labelSimb->setVisible(visible);
}

void TL640MSettingsForm::countChanged(SecondsField& field, int maximum) {
    bool ok = false;
    const int value = field.edit->text().trimmed().toInt(&ok);
    if (!ok) return;  // GatherImage refuses a count that is not a number
    field.counter->setPosition(std::clamp(value, 0, maximum));
    const QString shown = QString::number(field.counter->position());
    if (field.edit->text() != shown) field.edit->setText(shown);
}

void TL640MSettingsForm::connectRules() {
    for (MaskedField* password : {m_password, m_userPassword})
        connect(password, &QLineEdit::textChanged, this, [this, password] { passwordChangeRule(password); });

    for (int i = 0; i < kSecondsFields; ++i) {
        SecondsField& f = m_seconds[static_cast<std::size_t>(i)];
        connect(f.counter, &UpDown::positionChanged, this, [&f](int position) {
            const QString text = QString::number(position);
            if (f.edit->text() != text) f.edit->setText(text);
        });
        connect(f.edit, &QLineEdit::textChanged, this, [this, i] { secondsRangeRule(i); });
    }
    auto connectCount = [this](SecondsField& f, int maximum, void (TL640MSettingsForm::*rule)()) {
        connect(f.counter, &UpDown::positionChanged, this, [this, &f, rule](int position) {
            const QString text = QString::number(position);
            if (f.edit->text() != text) f.edit->setText(text);
            (this->*rule)();
        });
        connect(f.edit, &QLineEdit::textChanged, this, [this, &f, maximum] { countChanged(f, maximum); });
    };
    connectCount(m_codeCount, kCodes, &TL640MSettingsForm::codeCountRule);
    connectCount(m_keyCount, kKeys, &TL640MSettingsForm::keyCountRule);

    for (QRadioButton* b : m_sounder)
        connect(b, &QRadioButton::clicked, this, [this] { internalSounderRule(); });
    for (QRadioButton* b : m_backlight) connect(b, &QRadioButton::clicked, this, [this] { backlightRule(); });
    connect(m_voiceModule, &RadioGroup::itemChosen, this, [this] { voiceModuleRule(); });
    connect(m_autoReminder, &RadioGroup::itemChosen, this, [this] { autoReminderRule(); });

    for (int k = 1; k <= kPartitionCount; ++k)
        connect(m_partitions[static_cast<std::size_t>(k - 1)].type, &QButtonGroup::idClicked, this,
                [this, k] { partitionTypeRule(k); });

    for (int n = 1; n <= kOutputCount; ++n) {
        OutputGroup& out = m_outputs[static_cast<std::size_t>(n - 1)];
        connect(out.workMode, &RadioGroup::itemChosen, this, [this, n] { outputWorkModeRule(n); });
        // Every output's three time choices keep each other consistent, relay 1 included.
        for (QComboBox* c : {out.open, out.close, out.duration})
            connect(c, &QComboBox::activated, this, [this, n] { specialModeTimingRule(n); });
    }
    for (int s = 1; s <= 2; ++s)
        connect(m_loopTypes[static_cast<std::size_t>(s - 1)], &QComboBox::activated, this,
                [this, s] { wiredLoopTypeRule(s); });
}

}  // namespace livna
