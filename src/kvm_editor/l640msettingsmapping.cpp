// ApplyImage (image -> controls) and GatherImage (controls -> new image), step by step in the
// order the panel's settings have always been shown and built; the order matters because
// several steps set off field rules that change controls of later steps.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>

#include <span>

#include "common/kvm_encoding.h"
#include "kvm_editor/l640msettingschecks.h"
#include "kvm_editor/l640msettingsunit.h"

namespace livna {

using namespace kvm;

namespace {

constexpr std::size_t kBlock3 = 768;
constexpr std::size_t kCodeTable = 1024;
constexpr std::size_t kKeyTable = 1280;
constexpr std::size_t kEntrySize = 8;
constexpr std::array<std::size_t, 6> kCarriedIndices{6, 7, 8, 9, 25, 26};
constexpr std::array<std::size_t, TL640MSettingsForm::kSecondsFields> kSecondsIndices{10, 11, 12, 13, 46, 31, 33};
constexpr std::array<std::size_t, 4> kTimeOffsets{47, 49, 51, 53};

bool bit(std::int32_t value, int n) { return ((value >> n) & 1) != 0; }

/// Clears an exclusive pair and selects one of its buttons.
void choose(QRadioButton* yes, QRadioButton* no, bool on) { (on ? yes : no)->setChecked(true); }

void setIndex(QComboBox* combo, std::int32_t value, int count) {
    combo->setCurrentIndex(value >= 0 && value < count ? value : -1);
}

std::uint16_t boxesMask(const std::array<QCheckBox*, kPartitions>& boxes) {
    std::uint16_t mask = 0;
    for (int p = 0; p < kPartitions; ++p)
        if (boxes[static_cast<std::size_t>(p)]->isChecked()) mask |= static_cast<std::uint16_t>(1u << p);
    return mask;
}

void setBoxes(const std::array<QCheckBox*, kPartitions>& boxes, std::int32_t a, std::int32_t b) {
    for (int p = 1; p <= kPartitions; ++p) boxes[static_cast<std::size_t>(p - 1)]->setChecked(partitionInSet(a, b, p));
}

/// The digits among the characters of a short field, read as one number; -1 when there are none.
int digitsValue(const QString& text) {
    int value = -1;
    for (QChar c : text)
        if (c.isDigit()) value = (value < 0 ? 0 : value * 10) + c.digitValue();
    return value;
}

/// Nothing when the text is a decimal integer, else the reason to tell.
bool isInteger(const QString& text) {
    bool ok = false;
    text.trimmed().toInt(&ok);
    return ok;
}

}  // namespace

void TL640MSettingsForm::setCounter(SecondsField& field, int position) {
    field.counter->setPosition(position);
    // The edit follows the counter even when the position stays, so a cleared edit shows again.
    const QString text = QString::number(field.counter->position());
    if (field.edit->text() != text) field.edit->setText(text);
}

int TL640MSettingsForm::loopPartition(int s) const {
    return digitsValue(m_loopPartitions[static_cast<std::size_t>(s - 1)]->text());
}

void TL640MSettingsForm::enforceFirePartitions() {
    for (PartitionRow& row : m_partitions) {
        if (!row.fire->isChecked()) continue;
        row.krs->setChecked(true);
        row.tix->setChecked(false);
    }
}

void TL640MSettingsForm::ApplyImage(const SettingsImage& source) {
    SettingsImage image = source;
    if (image.size() < kKvmImageSize) image.values().resize(kKvmImageSize, 0);  // a short image reads as zeros
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(m_applying);
    auto v = [&](std::size_t i) { return image[i]; };
    auto b3 = [&](std::size_t offset) { return image[kBlock3 + offset]; };

    // 1..2: tabs, communicators, user password (one character at a time: each change runs the
    // password rule, which drops a digit 0 with its warning).
    // While an exchange runs (a read shows its image before the registration blocks come) the
    // window's controls stay off; the exchange switches them back on when it ends.
    if (!busy()) m_tabs->setEnabled(true);
    m_phone->setItemIndex(v(63) != 0 ? 0 : 1);
    m_gsm->setItemIndex(v(34) != 0 ? 0 : 1);
    m_userPassword->clear();
    const std::string user = userPasswordText(std::span<const std::int32_t, kUserPasswordLength>(&image.values()[40], 6));
    for (char c : user) m_userPassword->setText(m_userPassword->text() + QChar::fromLatin1(c));

    // 3: partition names.
    for (int k = 1; k <= kPartitions; ++k) {
        PartitionRow& row = m_partitions[static_cast<std::size_t>(k - 1)];
        const int item = partitionNameItem(v(255 + static_cast<std::size_t>(k)));
        row.name->setCurrentIndex(item);
        row.ownName->clear();
        const bool own = item == kOwnNameItem;
        showOwnName(k, own);
        if (own) {
            const std::size_t first = 264 + kEntrySize * static_cast<std::size_t>(k);
            row.ownName->setText(QString::fromStdString(
                decodeName(std::span<const std::int32_t, kNameLength>(&image.values()[first], kNameLength))));
        }
    }

    // 4..8: external sounder, system numbers, receiver ranges, engineer password, delays.
    setCounter(m_seconds[4], v(46) & 0xFF);
    for (int r = 0; r < kReceivers; ++r)
        for (int d = 0; d < kDetectorsPerReceiver; ++d)
            m_systemNumbers[static_cast<std::size_t>(r)][static_cast<std::size_t>(d)]->setText(
                QString::number(v(512 + static_cast<std::size_t>(kDetectorsPerReceiver * r + d))));
    for (std::size_t i = 0; i < m_borders.size(); ++i) setIndex(m_borders[i], v(49 + i), kPartitions);
    m_password->setText(QString::fromStdString(
        engineerPasswordText(std::span<const std::int32_t, kEngineerPasswordLength>(&image.values()[2], 4))));
    for (std::size_t i = 0; i < 4; ++i) setCounter(m_seconds[i], v(kSecondsIndices[i]) & 0xFF);

    // 9: carried values and the counts.
    for (std::size_t i = 0; i < kCarriedIndices.size(); ++i) m_carried[i] = v(kCarriedIndices[i]);
    setCounter(m_codeCount, v(23) & 0xFF);
    codeCountRule();
    setCounter(m_keyCount, v(22) & 0xFF);
    keyCountRule();

    // 10: automatic arming, partition types (each selection runs the type rule), silent, 24-hour.
    // The type rule checks the wired loops' partitions and types, so those of this image are in
    // place first; otherwise it would judge the loops of the image shown before.
    for (int s = 1; s <= 2; ++s) {
        const std::size_t i = static_cast<std::size_t>(s - 1);
        m_loopPartitions[i]->setText(QString::number(static_cast<std::uint32_t>(v(57 + i))));
        const int type = (v(59) >> (4 * (s - 1))) & 15;
        m_loopTypes[i]->setCurrentIndex(type <= 1 ? type : -1);
    }
    for (int k = 1; k <= kPartitions; ++k)
        m_partitions[static_cast<std::size_t>(k - 1)].avt->setChecked(partitionInSet(image, 18, k));
    for (int k = 1; k <= kPartitions; ++k) {
        PartitionRow& row = m_partitions[static_cast<std::size_t>(k - 1)];
        const bool fire = partitionInSet(image, 14, k);
        const bool emergency = partitionInSet(image, 47, k);
        if (fire) {
            row.fire->setChecked(true);
            partitionTypeRule(k);
        }
        if (emergency) {
            row.emergency->setChecked(true);
            partitionTypeRule(k);
        }
        if (!fire && !emergency) {
            row.security->setChecked(true);
            partitionTypeRule(k);
        }
    }
    for (int k = 1; k <= kPartitions; ++k) {
        PartitionRow& row = m_partitions[static_cast<std::size_t>(k - 1)];
        row.tix->setChecked(partitionInSet(image, 16, k));
        row.krs->setChecked(partitionInSet(image, 20, k));
    }
    // A fire partition is always 24-hour and never silent, whatever the image says.
    enforceFirePartitions();

    // 11: partitions served by the outputs.
    for (int n = 0; n < kOutputs; ++n) {
        const std::size_t offset = static_cast<std::size_t>(kOutputInfo[static_cast<std::size_t>(n)].partitionOffset);
        setBoxes(m_outputs[static_cast<std::size_t>(n)].partitions, b3(offset), b3(offset + 1));
    }

    // 12: voice module.
    m_reminderAfterDisarm->setItemIndex(b3(55) == 0 || b3(55) == 1 ? b3(55) : -1);
    m_autoReminder->setItemIndex(b3(56) == 0 || b3(56) == 1 ? b3(56) : -1);
    autoReminderRule();
    m_volume->setCurrentIndex(volumeItem(b3(57)));
    for (std::size_t i = 0; i < m_remindedTroubles.size(); ++i)
        choose(m_remindedTroubles[i].yes, m_remindedTroubles[i].no, bit(b3(58), static_cast<int>(i)));
    for (std::size_t i = 0; i < m_times.size(); ++i)
        m_times[i]->setText(QString::fromStdString(timeText(b3(kTimeOffsets[i]), b3(kTimeOffsets[i] + 1))));
    for (std::size_t i = 0; i < m_voiceMessages.size(); ++i) {
        const bool on = i < 8 ? bit(b3(45), static_cast<int>(i)) : bit(b3(46), static_cast<int>(i - 8));
        choose(m_voiceMessages[i].yes, m_voiceMessages[i].no, on);
    }
    m_voiceModule->setItemIndex(b3(44) != 0 ? 1 : 0);
    voiceModuleRule();
    m_violence->setItemIndex(b3(0) == 1 ? 1 : 0);

    // 13: outputs: the mode loads its preset; only "Специальный" takes the stored events and times.
    const std::array<std::int32_t, kOutputs> modeCodes{b3(1) & 15, (b3(1) >> 4) & 15, b3(18) & 15, b3(27) & 15,
                                                        (b3(27) >> 4) & 15};
    for (int n = 1; n <= kOutputs; ++n) {
        OutputGroup& out = m_outputs[static_cast<std::size_t>(n - 1)];
        const int item = relayRadioItem(modeCodes[static_cast<std::size_t>(n - 1)]);
        out.workMode->setItemIndex(item);
        outputWorkModeRule(n);
        if (item != kModeSpecial) continue;
        const std::size_t first = static_cast<std::size_t>(kOutputInfo[static_cast<std::size_t>(n - 1)].partitionOffset) + 2;
        for (int e = 0; e < kOutputEvents; ++e) {
            const bool on = e < 8 ? bit(b3(first), e) : bit(b3(first + 1), e - 8);
            out.events[static_cast<std::size_t>(e)]->setChecked(on);
        }
        setIndex(out.close, b3(first + 2), kTimeListSize);
        setIndex(out.open, b3(first + 3), kTimeListSize);
        setIndex(out.duration, b3(first + 4), kTimeListSize);
        setIndex(out.inverse, b3(first + 5), 2);
        specialModeTimingRule(n);
    }

    // 14..15: detector bindings, exclusion of not-ready detectors.
    for (int r = 0; r < kReceivers; ++r)
        for (int d = 0; d < kDetectorsPerReceiver; ++d)
            m_bindings[static_cast<std::size_t>(r)][static_cast<std::size_t>(d)]->setText(
                QString::number(decodeBinding(v(64 + static_cast<std::size_t>(kDetectorsPerReceiver * r + d)))));
    for (int k = 1; k <= kPartitions; ++k)
        m_partitions[static_cast<std::size_t>(k - 1)].iskl->setChecked(partitionInSet(image, 27, k));

    // 16: internal sounder and display backlight (value 0 = on, 1 = off, anything else = the third).
    auto modeSlot = [](std::int32_t value) { return value == 0 || value == 1 ? value : 2; };
    setCounter(m_seconds[5], v(31) & 0xFF);
    m_sounder[static_cast<std::size_t>(modeSlot(v(30)))]->setChecked(true);
    internalSounderRule();
    setCounter(m_seconds[6], v(33) & 0xFF);
    m_backlight[static_cast<std::size_t>(modeSlot(v(32)))]->setChecked(true);
    backlightRule();

    // 17..18: event reporting, engineer password reset.
    for (std::size_t i = 0; i < m_reports.size(); ++i)
        choose(m_reports[i].yes, m_reports[i].no, bit(v(36), static_cast<int>(i)));
    m_confirmPassword->setItemIndex(v(35) != 0 ? 1 : 0);

    // 19: wired loops (partitions and types were set before the partition types). Double
    // triggering follows its bit both ways: a box left ticked from the image shown before would
    // be stored into the next one.
    for (int s = 1; s <= 2; ++s) wiredLoopTypeRule(s);
    m_doubleTriggers[0]->setChecked(bit(v(60), 0));
    m_doubleTriggers[1]->setChecked(bit(v(60), 4));

    // 20..22: the code and key table, then the rows.
    m_accessTable.assign(image.values().begin() + kCodeTable, image.values().begin() + kKvmImageSize);
    applyAccessRows(image);

    // 23: the pages that changed most are drawn afresh.
    for (QWidget* page : {m_partitionsPage, m_codesPage, m_keysPage, m_bindingsPage}) page->update();
}

void TL640MSettingsForm::applyAccessRows(const SettingsImage&) {
    auto fill = [this](std::vector<AccessRow>& rows, int inUse, std::size_t tableStart, bool keys) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            AccessRow& row = rows[i];
            const bool used = static_cast<int>(i) < inUse;
            setRowInUse(row, used);
            row.edit->clear();
            if (!used) continue;
            const std::int32_t* entry = &m_accessTable[tableStart - kCodeTable + kEntrySize * i];
            const std::string text =
                keys ? keyText(std::span<const std::int32_t, kKeyByteCount>(entry, kKeyByteCount))
                     : codeDigitsText(std::span<const std::int32_t, kCodeDigitCount>(entry, kCodeDigitCount));
            // A row in use without an entry shows no partitions: that is what it will store.
            setBoxes(row.partitions, text.empty() ? 0 : entry[6], text.empty() ? 0 : entry[7]);
            row.edit->setText(QString::fromStdString(text));
        }
    };
    fill(m_codes, m_codesInUse, kCodeTable, false);
    fill(m_keys, m_keysInUse, kKeyTable, true);
}

bool TL640MSettingsForm::refuse(QWidget* field, const QString& text) {
    context().dialogs.inform(kCaptionSystemMessage, text.toStdString(), MsgIcon::Warning);
    // Bring the field's page to the front so the installer sees what to fix.
    bringPageToFront(field);
    field->setFocus();
    return false;
}

std::optional<SettingsImage> TL640MSettingsForm::GatherImage() {
    // Fields that could not be encoded are refused before anything is built.
    for (const SecondsField* f : {&m_seconds[0], &m_seconds[1], &m_seconds[2], &m_seconds[3], &m_seconds[4],
                                  &m_seconds[5], &m_seconds[6], &m_codeCount, &m_keyCount}) {
        const QString text = f->edit->text();
        if (!text.trimmed().isEmpty() && !isInteger(text)) {
            refuse(f->edit, QStringLiteral("Поле «%1» содержит «%2», а это не число.\nВведите число от 0 до %3.")
                                .arg(QString::fromUtf8(f->caption), text)
                                .arg(f->counter->maximum() == kUpDownMax ? kSecondsMax : f->counter->maximum()));
            return std::nullopt;
        }
    }

    SettingsImage image = SettingsImage::fresh(kKvmImageSize, m_versionCode);
    auto b3 = [&](std::size_t offset) -> std::int32_t& { return image[kBlock3 + offset]; };
    image[61] = 0;

    // 2: engineer password, four digits.
    const QString engineer = m_password->text();
    int digits = 0;
    bool other = false;
    for (QChar c : engineer) {
        if (c.isDigit()) ++digits;
        else if (c != u' ') other = true;
    }
    if (other) {
        refuse(m_password, QStringLiteral("Пароль инженера «%1» не является числом.\n"
                                          "Пароль инженера - четыре цифры от 1 до 9.").arg(engineer));
        return std::nullopt;
    }
    const auto engineerValues = encodeEngineerPassword(engineer.toStdString());
    if (digits != 4 || engineer.size() != 4 || !engineerValues) {
        refuse(m_password, QStringLiteral("В пароле инженера %1 цифр(ы), а нужно 4.\n"
                                          "Пароль инженера - четыре цифры от 1 до 9.").arg(digits));
        return std::nullopt;
    }
    std::copy(engineerValues->begin(), engineerValues->end(), &image[2]);

    // 10: user password: each position a digit or a space.
    for (std::size_t i = 40; i <= 45; ++i) image[i] = kNone;
    const QString user = m_userPassword->text();
    if (!user.isEmpty()) {
        const auto values = encodeUserPassword(user.toStdString());
        if (!values) {
            refuse(m_userPassword, QStringLiteral("Пароль пользователя «%1» может содержать только цифры от 1 до 9 "
                                                  "(и пробелы на месте отсутствующих цифр).").arg(user));
            return std::nullopt;
        }
        std::copy(values->begin(), values->end(), &image[40]);
    }

    // 17: the four times.
    std::array<std::optional<HoursMinutes>, 4> times;
    for (std::size_t i = 0; i < m_times.size(); ++i) {
        if (m_times[i]->isBlank()) continue;
        QString text = m_times[i]->positionalText();
        text.replace(u'_', u' ');
        times[i] = parseTime(text.toStdString());
        if (!times[i]) {
            refuse(m_times[i], QStringLiteral("Время «%1» заполнено не полностью: «%2».\n"
                                              "Введите часы и минуты (ЧЧ:ММ) или очистите поле.")
                                   .arg(QString::fromUtf8(kTimeFields[i].caption), m_times[i]->displayText()));
            return std::nullopt;
        }
    }

    // 19: code digits.
    std::array<std::optional<CodeDigitValues>, kCodes> codeDigits;
    for (int c = 0; c < m_codesInUse && c < kCodes; ++c) {
        MaskedField* edit = m_codes[static_cast<std::size_t>(c)].edit;
        if (edit->text().isEmpty() || edit->isBlank()) continue;
        codeDigits[static_cast<std::size_t>(c)] = encodeCodeDigits(edit->text().toStdString());
        if (!codeDigits[static_cast<std::size_t>(c)]) {
            refuse(edit, QStringLiteral("Код %1 «%2» может содержать только цифры от 1 до 9.")
                             .arg(c + 1)
                             .arg(edit->text()));
            return std::nullopt;
        }
    }

    // 3: delays, carried values, counts.
    for (std::size_t i = 0; i < 4; ++i) image[kSecondsIndices[i]] = m_seconds[i].counter->position();
    for (std::size_t i = 0; i < kCarriedIndices.size(); ++i) image[kCarriedIndices[i]] = m_carried[i];
    image[23] = m_codesInUse;
    image[22] = m_keysInUse;

    // 4..9: partition sets, ranges, bindings, switches.
    for (int k = 1; k <= kPartitions; ++k) {
        const PartitionRow& row = m_partitions[static_cast<std::size_t>(k - 1)];
        setPartitionInSet(image, 18, k, row.avt->isChecked());
        setPartitionInSet(image, 16, k, row.tix->isChecked());
        setPartitionInSet(image, 20, k, row.krs->isChecked());
        setPartitionInSet(image, 14, k, row.fire->isChecked());
        setPartitionInSet(image, 47, k, row.emergency->isChecked());
        setPartitionInSet(image, 27, k, row.iskl->isChecked());
    }
    image[46] = m_seconds[4].counter->position();
    for (std::size_t i = 0; i < m_borders.size(); ++i) image[49 + i] = m_borders[i]->currentIndex();
    for (int r = 0; r < kReceivers; ++r)
        for (int d = 0; d < kDetectorsPerReceiver; ++d) {
            bool ok = false;
            const int value = m_bindings[static_cast<std::size_t>(r)][static_cast<std::size_t>(d)]->text().trimmed().toInt(&ok);
            image[64 + static_cast<std::size_t>(kDetectorsPerReceiver * r + d)] = ok ? value : 1;
        }
    image[30] = m_sounder[0]->isChecked() ? 0 : m_sounder[2]->isChecked() ? 2 : 1;
    image[31] = m_seconds[5].counter->position();
    image[32] = m_backlight[0]->isChecked() ? 0 : m_backlight[2]->isChecked() ? 2 : 1;
    image[33] = m_seconds[6].counter->position();
    std::int32_t reports = 0;
    for (std::size_t i = 0; i < m_reports.size(); ++i)
        if (m_reports[i].yes->isChecked()) reports |= 1 << i;
    image[36] = reports;
    image[37] = 0;
    image[35] = m_confirmPassword->itemIndex() == 1 ? 1 : 0;
    image[34] = m_gsm->itemIndex() == 1 ? 0 : 255;
    image[63] = m_phone->itemIndex() == 1 ? 0 : 255;

    // 11: partition names.
    for (int k = 1; k <= kPartitions; ++k) {
        const PartitionRow& row = m_partitions[static_cast<std::size_t>(k - 1)];
        const int item = row.name->currentIndex();
        image[255 + static_cast<std::size_t>(k)] = partitionNameValue(item);
        if (item != kOwnNameItem) continue;
        const NameValues name = encodeName(row.ownName->text().toStdString());
        std::copy(name.begin(), name.end(), &image[264 + kEntrySize * static_cast<std::size_t>(k)]);
    }

    // 13: wired loops.
    for (std::size_t i = 0; i < 2; ++i) image[57 + i] = std::max(0, loopPartition(static_cast<int>(i) + 1));
    image[59] = (((m_loopTypes[1]->currentIndex() & 15) << 4) | (m_loopTypes[0]->currentIndex() & 15)) & 0xFF;
    image[60] = (m_doubleTriggers[0]->isChecked() ? 1 : 0) | (m_doubleTriggers[1]->isChecked() ? 16 : 0);

    // 14..15: duress codes, outputs (outside "Специальный" the controls hold the mode's preset).
    b3(0) = m_violence->itemIndex() == 1 ? 1 : 0;
    std::array<std::int32_t, kOutputs> codes{};
    for (int n = 0; n < kOutputs; ++n) {
        const OutputGroup& out = m_outputs[static_cast<std::size_t>(n)];
        codes[static_cast<std::size_t>(n)] = relayModeCode(out.workMode->itemIndex());
        const std::size_t offset = static_cast<std::size_t>(kOutputInfo[static_cast<std::size_t>(n)].partitionOffset);
        const auto [a, b] = partitionPair(boxesMask(out.partitions));
        b3(offset) = a;
        b3(offset + 1) = b;
        std::int32_t eventsA = 0;
        std::int32_t eventsB = 0;
        for (int e = 0; e < kOutputEvents; ++e) {
            if (!out.events[static_cast<std::size_t>(e)]->isChecked()) continue;
            if (e < 8) eventsA |= 1 << e;
            else eventsB |= 1 << (e - 8);
        }
        b3(offset + 2) = eventsA;
        b3(offset + 3) = eventsB;
        b3(offset + 4) = out.close->currentIndex();
        b3(offset + 5) = out.open->currentIndex();
        b3(offset + 6) = out.duration->currentIndex();
        b3(offset + 7) = out.inverse->currentIndex();
    }
    // Two outputs share a byte; a mode that is not chosen gives 15 in its half, as the loop types.
    b3(1) = (codes[0] & 15) + 16 * (codes[1] & 15);
    b3(18) = codes[2];
    b3(27) = (codes[3] & 15) + 16 * (codes[4] & 15);

    // 16..18: voice module, times, volume.
    b3(44) = m_voiceModule->itemIndex() == 0 ? 0 : 1;
    std::int32_t voiceA = 0;
    std::int32_t voiceB = 0;
    for (std::size_t i = 0; i < m_voiceMessages.size(); ++i) {
        if (!m_voiceMessages[i].yes->isChecked()) continue;
        if (i < 8) voiceA |= 1 << i;
        else voiceB |= 1 << (i - 8);
    }
    b3(45) = voiceA;
    b3(46) = voiceB;
    b3(55) = m_reminderAfterDisarm->itemIndex();
    b3(56) = m_autoReminder->itemIndex();
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (!times[i]) continue;
        b3(kTimeOffsets[i]) = times[i]->hours;
        b3(kTimeOffsets[i] + 1) = times[i]->minutes;
    }
    b3(57) = encodeVolume(m_volume->currentIndex());
    std::int32_t reminded = 0;
    for (std::size_t i = 0; i < m_remindedTroubles.size(); ++i)
        if (m_remindedTroubles[i].yes->isChecked()) reminded |= 1 << i;
    b3(58) = reminded;

    // 19..20: codes and keys; keys 65..96 go to block 7 like the others.
    auto storeEntry = [&](std::size_t first, std::span<const std::int32_t> bytes, const std::array<QCheckBox*, kPartitions>* boxes) {
        for (std::size_t i = 0; i < 6; ++i) image[first + i] = bytes.empty() ? kNone : bytes[i];
        if (boxes == nullptr || bytes.empty()) return;
        const auto [a, b] = partitionPair(boxesMask(*boxes));
        image[first + 6] = a;
        image[first + 7] = b;
    };
    for (int c = 0; c < kCodes; ++c) {
        const auto& digitsOf = codeDigits[static_cast<std::size_t>(c)];
        storeEntry(kCodeTable + kEntrySize * static_cast<std::size_t>(c),
                   digitsOf ? std::span<const std::int32_t>(*digitsOf) : std::span<const std::int32_t>(),
                   &m_codes[static_cast<std::size_t>(c)].partitions);
    }
    for (int k = 0; k < kKeys; ++k) {
        const AccessRow& row = m_keys[static_cast<std::size_t>(k)];
        const std::size_t first = kKeyTable + kEntrySize * static_cast<std::size_t>(k);
        if (k >= m_keysInUse || row.edit->text().isEmpty()) {
            storeEntry(first, {}, nullptr);
            continue;
        }
        const KeyValues key = encodeKey(row.edit->text().toStdString());
        storeEntry(first, key, &row.partitions);
    }
    return image;
}

}  // namespace livna
