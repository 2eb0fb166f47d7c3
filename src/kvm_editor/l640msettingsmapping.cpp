// ApplyImage (image -> model -> controls) and GatherImage (controls -> model -> new image). The
// model (kvm_model.h) holds every offset and encoding; here each field goes to its control, step
// by step in the order the panel's settings have always been shown. The order matters because
// several steps set off field rules that change controls of later steps.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>

#include <span>

#include "common/kvm_encoding.h"
#include "kvm_editor/kvm_model.h"
#include "kvm_editor/l640msettingschecks.h"
#include "kvm_editor/l640msettingsunit.h"

namespace livna {

using namespace kvm;

namespace {

/// Clears an exclusive pair and selects one of its buttons.
void choose(QRadioButton* yes, QRadioButton* no, bool on) {
    (on ? yes : no)->setChecked(true);
}

std::uint16_t boxesMask(const std::array<QCheckBox*, kPartitionCount>& boxes) {
    std::uint16_t mask = 0;
    for (int p = 0; p < kPartitionCount; ++p)
        if (boxes[static_cast<std::size_t>(p)]->isChecked()) mask |= static_cast<std::uint16_t>(1u << p);
    return mask;
}

void setBoxes(const std::array<QCheckBox*, kPartitionCount>& boxes, std::uint16_t mask) {
    for (int p = 0; p < kPartitionCount; ++p)
        boxes[static_cast<std::size_t>(p)]->setChecked(((mask >> p) & 1) != 0);
}

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

void TL640MSettingsForm::setCounter(SecondsField& field, int position) {
    field.counter->setPosition(position);
    // The edit follows the counter even when the position stays, so a cleared edit shows again.
    const QString text = QString::number(field.counter->position());
    if (field.edit->text() != text) field.edit->setText(text);
}

int TL640MSettingsForm::loopPartition(int s) const {
    return kvm::wiredLoopPartition(m_loopPartitions[static_cast<std::size_t>(s - 1)]->text().toStdString());
}

void TL640MSettingsForm::enforceFirePartitions() {
    for (PartitionRow& row : m_partitions) {
        if (!row.fire->isChecked()) continue;
        row.krs->setChecked(true);
        row.tix->setChecked(false);
    }
}

void TL640MSettingsForm::ApplyImage(const SettingsImage& image) {
    {
        struct Guard {
            bool& flag;
            explicit Guard(bool& f) : flag(f) { flag = true; }
            ~Guard() { flag = false; }
        } guard(m_applying);
        showSettings(kvm::decode(image).settings);
    }
    // One box for the whole image, after it is shown, rather than one per rule as it goes.
    tellApplyChanges();
}

void TL640MSettingsForm::showSettings(const kvm::Settings& s) {
    // 1..2: tabs, communicators, user password (one character at a time: each change runs the
    // password rule, which drops a digit 0 with its warning).
    // While an exchange runs (a read shows its image before the registration blocks come) the
    // window's controls stay off; the exchange switches them back on when it ends.
    if (!busy()) m_tabs->setEnabled(true);
    m_phone->setItemIndex(s.phoneOn ? 0 : 1);
    m_gsm->setItemIndex(s.gsmOn ? 0 : 1);
    m_userPassword->clear();
    for (char c : s.userPassword) m_userPassword->setText(m_userPassword->text() + QChar::fromLatin1(c));

    // 3: partition names.
    for (int k = 1; k <= kPartitionCount; ++k) {
        PartitionRow& row = m_partitions[static_cast<std::size_t>(k - 1)];
        const kvm::Partition& p = s.partitions[static_cast<std::size_t>(k - 1)];
        row.name->setCurrentIndex(p.nameItem);
        row.ownName->clear();
        const bool own = p.nameItem == kOwnNameItem;
        showOwnName(k, own);
        if (own) row.ownName->setText(fromUtf8(p.ownName));
    }

    // 4..8: external sounder, system numbers, receiver ranges, engineer password, delays.
    setCounter(m_seconds[4], s.seconds[4].position);
    for (std::size_t r = 0; r < m_systemNumbers.size(); ++r)
        for (std::size_t d = 0; d < m_systemNumbers[r].size(); ++d)
            m_systemNumbers[r][d]->setText(QString::number(s.systemNumbers[r * kDetectorsPerReceiver + d]));
    for (std::size_t i = 0; i < m_borders.size(); ++i) m_borders[i]->setCurrentIndex(s.borders[i]);
    m_password->setText(fromUtf8(s.engineerPassword));
    for (std::size_t i = 0; i < 4; ++i) setCounter(m_seconds[i], s.seconds[i].position);

    // 9: carried values and the counts.
    m_carried = s.carried;
    setCounter(m_codeCount, s.codeCount.position);
    codeCountRule();
    setCounter(m_keyCount, s.keyCount.position);
    keyCountRule();

    // 10: automatic arming, partition types (each selection runs the type rule), silent, 24-hour.
    // The type rule checks the wired loops' partitions and types, so those of this image are in
    // place first; otherwise it would judge the loops of the image shown before.
    for (std::size_t i = 0; i < s.loops.size(); ++i) {
        m_loopPartitions[i]->setText(fromUtf8(s.loops[i].partition));
        m_loopTypes[i]->setCurrentIndex(s.loops[i].typeItem);
    }
    for (std::size_t i = 0; i < m_partitions.size(); ++i)
        m_partitions[i].avt->setChecked(s.partitions[i].automaticArming);
    for (int k = 1; k <= kPartitionCount; ++k) {
        PartitionRow& row = m_partitions[static_cast<std::size_t>(k - 1)];
        const kvm::Partition& p = s.partitions[static_cast<std::size_t>(k - 1)];
        if (p.fire) {
            row.fire->setChecked(true);
            partitionTypeRule(k);
        }
        if (p.emergency) {
            row.emergency->setChecked(true);
            partitionTypeRule(k);
        }
        if (!p.fire && !p.emergency) {
            row.security->setChecked(true);
            partitionTypeRule(k);
        }
    }
    for (std::size_t i = 0; i < m_partitions.size(); ++i) {
        m_partitions[i].tix->setChecked(s.partitions[i].silent);
        m_partitions[i].krs->setChecked(s.partitions[i].twentyFourHour);
    }
    // A fire partition is always 24-hour and never silent, whatever the image says.
    enforceFirePartitions();

    // 11: partitions served by the outputs.
    for (std::size_t n = 0; n < m_outputs.size(); ++n)
        setBoxes(m_outputs[n].partitions, s.outputs[n].partitions);

    // 12: voice module.
    m_reminderAfterDisarm->setItemIndex(s.reminderAfterDisarm);
    m_autoReminder->setItemIndex(s.autoReminder);
    autoReminderRule();
    m_volume->setCurrentIndex(s.volumeItem);
    for (std::size_t i = 0; i < m_remindedTroubles.size(); ++i)
        choose(m_remindedTroubles[i].yes, m_remindedTroubles[i].no, s.remindedTroubles[i]);
    for (std::size_t i = 0; i < m_times.size(); ++i) m_times[i]->setText(fromUtf8(s.times[i]));
    for (std::size_t i = 0; i < m_voiceMessages.size(); ++i)
        choose(m_voiceMessages[i].yes, m_voiceMessages[i].no, s.voiceMessages[i]);
    m_voiceModule->setItemIndex(s.voiceModuleOn ? 1 : 0);
    voiceModuleRule();
    m_violence->setItemIndex(s.duressCodes ? 1 : 0);

    // 13: outputs: the mode loads its preset; only "Специальный" takes the stored events and times.
    for (int n = 1; n <= kOutputCount; ++n) {
        OutputGroup& out = m_outputs[static_cast<std::size_t>(n - 1)];
        const kvm::Output& o = s.outputs[static_cast<std::size_t>(n - 1)];
        out.workMode->setItemIndex(o.modeItem);
        outputWorkModeRule(n);
        if (o.modeItem != kModeSpecial) continue;
        for (int e = 0; e < kOutputEvents; ++e)
            out.events[static_cast<std::size_t>(e)]->setChecked(((o.events >> e) & 1) != 0);
        out.close->setCurrentIndex(o.close);
        out.open->setCurrentIndex(o.open);
        out.duration->setCurrentIndex(o.duration);
        out.inverse->setCurrentIndex(o.inverse);
        specialModeTimingRule(n);
    }

    // 14..15: detector bindings, exclusion of not-ready detectors.
    for (std::size_t r = 0; r < m_bindings.size(); ++r)
        for (std::size_t d = 0; d < m_bindings[r].size(); ++d)
            m_bindings[r][d]->setText(fromUtf8(s.bindings[r * kDetectorsPerReceiver + d]));
    for (std::size_t i = 0; i < m_partitions.size(); ++i)
        m_partitions[i].iskl->setChecked(s.partitions[i].excluded);

    // 16: internal sounder and display backlight (0 = on, 1 = off, 2 = the third choice).
    setCounter(m_seconds[5], s.seconds[5].position);
    m_sounder[static_cast<std::size_t>(s.sounder)]->setChecked(true);
    internalSounderRule();
    setCounter(m_seconds[6], s.seconds[6].position);
    m_backlight[static_cast<std::size_t>(s.backlight)]->setChecked(true);
    backlightRule();

    // 17..18: event reporting, engineer password reset.
    for (std::size_t i = 0; i < m_reports.size(); ++i)
        choose(m_reports[i].yes, m_reports[i].no, s.reportsAsAlarm[i]);
    m_confirmPassword->setItemIndex(s.passwordResetForbidden ? 1 : 0);

    // 19: wired loops (partitions and types were set before the partition types). Double
    // triggering follows its bit both ways: a box left ticked from the image shown before would
    // be stored into the next one.
    for (int loop = 1; loop <= kWiredLoops; ++loop) wiredLoopTypeRule(loop);
    for (std::size_t i = 0; i < m_doubleTriggers.size(); ++i)
        m_doubleTriggers[i]->setChecked(s.loops[i].doubleTriggering);

    // 20..22: the code and key rows.
    applyAccessRows(s);

    // 23: the pages that changed most are drawn afresh.
    for (QWidget* page : {m_partitionsPage, m_codesPage, m_keysPage, m_bindingsPage}) page->update();
}

void TL640MSettingsForm::applyAccessRows(const kvm::Settings& s) {
    auto fill = [this](std::vector<AccessRow>& rows, int inUse, std::span<const kvm::AccessEntry> entries) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            AccessRow& row = rows[i];
            const bool used = static_cast<int>(i) < inUse;
            setRowInUse(row, used);
            row.edit->clear();
            if (!used) continue;
            // A row in use without an entry shows no partitions: that is what it will store.
            setBoxes(row.partitions, entries[i].partitions);
            row.edit->setText(fromUtf8(entries[i].text));
        }
    };
    fill(m_codes, m_codesInUse, s.codes);
    fill(m_keys, m_keysInUse, s.keys);
}

bool TL640MSettingsForm::refuse(QWidget* field, const QString& text) {
    context().dialogs.inform(kCaptionSystemMessage, text.toStdString(), MsgIcon::Warning);
    // Bring the field's page to the front so the installer sees what to fix.
    bringPageToFront(field);
    field->setFocus();
    return false;
}

void TL640MSettingsForm::refuse(const kvm::Refusal& refusal) {
    auto counter = [this](const SecondsField& f) {
        refuse(f.edit, QStringLiteral("Поле «%1» содержит «%2», а это не число.\nВведите число от 0 до %3.")
                           .arg(QString::fromUtf8(f.caption), f.edit->text())
                           .arg(f.counter->maximum() == kUpDownMax ? kSecondsMax : f.counter->maximum()));
    };
    switch (refusal.field) {
        case kvm::Field::Seconds:
            return counter(m_seconds.at(static_cast<std::size_t>(refusal.index)));
        case kvm::Field::CodeCount:
            return counter(m_codeCount);
        case kvm::Field::KeyCount:
            return counter(m_keyCount);
        case kvm::Field::EngineerPassword:
            if (refusal.digits < 0)
                refuse(m_password, QStringLiteral("Пароль инженера «%1» не является числом.\n"
                                                  "Пароль инженера - четыре цифры от 1 до 9.")
                                       .arg(m_password->text()));
            else
                refuse(m_password, QStringLiteral("В пароле инженера %1 цифр(ы), а нужно 4.\n"
                                                  "Пароль инженера - четыре цифры от 1 до 9.")
                                       .arg(refusal.digits));
            return;
        case kvm::Field::UserPassword:
            refuse(m_userPassword,
                   QStringLiteral("Пароль пользователя «%1» может содержать только цифры от 1 до 9 "
                                  "(и пробелы на месте отсутствующих цифр).")
                       .arg(m_userPassword->text()));
            return;
        case kvm::Field::Time: {
            MaskedField* time = m_times.at(static_cast<std::size_t>(refusal.index));
            refuse(
                time,
                QStringLiteral("Время «%1» заполнено не полностью: «%2».\n"
                               "Введите часы и минуты (ЧЧ:ММ) или очистите поле.")
                    .arg(QString::fromUtf8(kTimeFields.at(static_cast<std::size_t>(refusal.index)).caption),
                         time->displayText()));
            return;
        }
        case kvm::Field::Code: {
            MaskedField* edit = m_codes.at(static_cast<std::size_t>(refusal.index)).edit;
            refuse(edit, QStringLiteral("Код %1 «%2» может содержать только цифры от 1 до 9.")
                             .arg(refusal.index + 1)
                             .arg(edit->text()));
            return;
        }
    }
}

std::optional<SettingsImage> TL640MSettingsForm::GatherImage() {
    kvm::Settings s;
    s.versionCode = m_versionCode;
    s.carried = m_carried;
    s.engineerPassword = m_password->text().toStdString();
    s.userPassword = m_userPassword->text().toStdString();
    s.phoneOn = m_phone->itemIndex() != 1;
    s.gsmOn = m_gsm->itemIndex() != 1;
    s.passwordResetForbidden = m_confirmPassword->itemIndex() == 1;
    // Number texts go over trimmed as the toolkit trims (any Unicode blank).
    auto number = [](const QLineEdit* edit) { return edit->text().trimmed().toStdString(); };
    for (std::size_t i = 0; i < m_seconds.size(); ++i)
        s.seconds[i] = {m_seconds[i].counter->position(), number(m_seconds[i].edit)};
    s.codeCount = {m_codesInUse, number(m_codeCount.edit)};
    s.keyCount = {m_keysInUse, number(m_keyCount.edit)};

    for (std::size_t i = 0; i < m_partitions.size(); ++i) {
        const PartitionRow& row = m_partitions[i];
        kvm::Partition& p = s.partitions[i];
        p.nameItem = row.name->currentIndex();
        if (p.nameItem == kOwnNameItem) p.ownName = row.ownName->text().toStdString();
        p.fire = row.fire->isChecked();
        p.emergency = row.emergency->isChecked();
        p.automaticArming = row.avt->isChecked();
        p.silent = row.tix->isChecked();
        p.twentyFourHour = row.krs->isChecked();
        p.excluded = row.iskl->isChecked();
    }
    for (std::size_t i = 0; i < m_borders.size(); ++i) s.borders[i] = m_borders[i]->currentIndex();
    for (std::size_t r = 0; r < m_bindings.size(); ++r)
        for (std::size_t d = 0; d < m_bindings[r].size(); ++d)
            s.bindings[r * kDetectorsPerReceiver + d] = number(m_bindings[r][d]);
    s.sounder = m_sounder[0]->isChecked() ? 0 : m_sounder[2]->isChecked() ? 2 : 1;
    s.backlight = m_backlight[0]->isChecked() ? 0 : m_backlight[2]->isChecked() ? 2 : 1;
    for (std::size_t i = 0; i < m_reports.size(); ++i) s.reportsAsAlarm[i] = m_reports[i].yes->isChecked();

    for (std::size_t i = 0; i < s.loops.size(); ++i) {
        s.loops[i].partition = m_loopPartitions[i]->text().toStdString();
        s.loops[i].typeItem = m_loopTypes[i]->currentIndex();
        s.loops[i].doubleTriggering = m_doubleTriggers[i]->isChecked();
    }

    // Outside "Специальный" the controls hold the mode's preset, which is stored as it is.
    s.duressCodes = m_violence->itemIndex() == 1;
    for (std::size_t n = 0; n < m_outputs.size(); ++n) {
        const OutputGroup& out = m_outputs[n];
        kvm::Output& o = s.outputs[n];
        o.modeItem = out.workMode->itemIndex();
        o.partitions = boxesMask(out.partitions);
        o.events = 0;
        for (std::size_t e = 0; e < out.events.size(); ++e)
            if (out.events[e]->isChecked()) o.events |= static_cast<std::uint16_t>(1u << e);
        o.close = out.close->currentIndex();
        o.open = out.open->currentIndex();
        o.duration = out.duration->currentIndex();
        o.inverse = out.inverse->currentIndex();
    }

    s.voiceModuleOn = m_voiceModule->itemIndex() != 0;
    for (std::size_t i = 0; i < m_voiceMessages.size(); ++i)
        s.voiceMessages[i] = m_voiceMessages[i].yes->isChecked();
    for (std::size_t i = 0; i < m_remindedTroubles.size(); ++i)
        s.remindedTroubles[i] = m_remindedTroubles[i].yes->isChecked();
    s.reminderAfterDisarm = m_reminderAfterDisarm->itemIndex();
    s.autoReminder = m_autoReminder->itemIndex();
    s.volumeItem = m_volume->currentIndex();
    for (std::size_t i = 0; i < m_times.size(); ++i) {
        if (m_times[i]->isBlank()) continue;  // a blank time is left out
        QString text = m_times[i]->positionalText();
        text.replace(u'_', u' ');
        s.times[i] = text.toStdString();
    }

    // A blank code is no entry; rows out of use are left to the counts.
    for (std::size_t c = 0; c < m_codes.size(); ++c) {
        const AccessRow& row = m_codes[c];
        if (row.edit->isBlank()) continue;
        s.codes[c] = {row.edit->text().toStdString(), boxesMask(row.partitions)};
    }
    for (std::size_t k = 0; k < m_keys.size(); ++k)
        s.keys[k] = {m_keys[k].edit->text().toStdString(), boxesMask(m_keys[k].partitions)};

    auto result = kvm::encode(s);
    if (const auto* refusal = std::get_if<kvm::Refusal>(&result)) {
        refuse(*refusal);
        return std::nullopt;
    }
    return std::get<SettingsImage>(std::move(result));
}

}  // namespace livna
