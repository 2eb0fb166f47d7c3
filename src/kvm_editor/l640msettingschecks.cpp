// The checks that answer the installer's own edits: leaving a password, time, detector binding,
// code or key field, typing into a code or key, picking a partition name, choosing duress codes.
// ApplyImage never sets these off: they watch the installer, not the image.
#include "kvm_editor/l640msettingschecks.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWindow>

#include "common/kvm_encoding.h"
#include "kvm_editor/l640msettingsunit.h"
#include "workwindow/work_window.h"

namespace livna {

// ---- judgements ------------------------------------------------------------------------------

namespace kvm {

namespace {

int countAt(const QString& text, int positions, const std::function<bool(QChar)>& counts) {
    int n = 0;
    for (int i = 0; i < positions && i < text.size(); ++i)
        if (counts(text.at(i))) ++n;
    return n;
}

}  // namespace

int userPasswordDigits(const QString& text) {
    return countAt(text, 6, [](QChar c) { return c != u' ' && c != u'0'; });
}

int engineerPasswordDigits(const QString& text) {
    return countAt(text, kEngineerPasswordDigits, [](QChar c) { return c != u' '; });
}

BindingVerdict judgeBinding(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok) return BindingVerdict::NotANumber;
    return value < kBindingMin || value > kBindingMax ? BindingVerdict::OutOfRange : BindingVerdict::Valid;
}

}  // namespace kvm

// ---- the editor's checks -------------------------------------------------------------------------

namespace {

constexpr const char* kUserPasswordDigits =
    "Недопустимое количество цифр! Количество цифр должно быть от 3 до 6!";
constexpr const char* kEngineerPasswordDigits =
    "Недопустимое количество цифр! Количество цифр в пароле инженера должно быть 4!";
constexpr const char* kDuressCodes =
    "Внимание! Коды снятия под принуждением выбираются автоматически путем прибавления к младшему "
    "значению кода пользователя +1 !";

// What leaving each field would be answered for; the guard asks these at the leave, and the exit
// checks answer exactly when they hold.
bool userPasswordShort(const MaskedField* f) {
    return kvm::userPasswordDigits(f->positionalText()) < kvm::kUserPasswordMinDigits;
}
bool engineerPasswordShort(const MaskedField* f) {
    return kvm::engineerPasswordDigits(f->positionalText()) < kvm::kEngineerPasswordDigits;
}
bool timeOutOfRange(const MaskedField* f) {
    return kvm::judgeTime(f->displayText().toStdString()) == kvm::TimeVerdict::OutOfRange;
}
// A binding the installer did not touch is the panel's own (0 = not bound); passing the focus
// through it must not bind the detector to partition 1.
bool bindingRefused(const MaskedField* f) {
    return f->isModified() && kvm::judgeBinding(f->text()) != kvm::BindingVerdict::Valid;
}
bool keyIncomplete(const MaskedField* f) {
    return !keyIsComplete(f->text());
}
// Its first stored byte would be None: the panel takes that for no key and drops it at the next
// write.
bool keyUnstorable(const MaskedField* f) {
    return !isStorableKey(f->text().toStdString());
}

}  // namespace

void TL640MSettingsForm::plainBox(const QString& text) {
    context().dialogs.inform(kApplicationTitle, text.toStdString(), MsgIcon::None);
}

bool TL640MSettingsForm::PasswordEdit2Exit() {
    if (!userPasswordShort(m_userPassword)) return false;
    context().dialogs.inform(kCaptionSystemMessage, kUserPasswordDigits, MsgIcon::Warning);
    return true;
}

bool TL640MSettingsForm::PasswordEditExit() {
    if (!engineerPasswordShort(m_password)) return false;
    context().dialogs.inform(kCaptionSystemMessage, kEngineerPasswordDigits, MsgIcon::Warning);
    return true;
}

bool TL640MSettingsForm::TimeExit(int i) {
    MaskedField* field = m_times.at(static_cast<std::size_t>(i));
    if (!timeOutOfRange(field)) return false;
    plainBox(QStringLiteral("Время %1 указано неверно!\nДопустимый диапазон 00:00 - 24:00 "
                            "(часы от 00 до 24, минуты от 00 до 59).")
                 .arg(field->displayText()));
    return true;
}

bool TL640MSettingsForm::RPDExit(int receiver, int detector) {
    MaskedField* field = detectorBinding(receiver, detector);
    if (!bindingRefused(field)) return false;
    const QString text = field->text();
    switch (kvm::judgeBinding(text)) {
        case kvm::BindingVerdict::Valid:
            return false;
        case kvm::BindingVerdict::NotANumber:
            plainBox(
                QStringLiteral("Значение «%1» недопустимо!\nВведите номер раздела от 1 до 16.").arg(text));
            field->setText(QStringLiteral("1"));
            return false;
        case kvm::BindingVerdict::OutOfRange:
            plainBox(QStringLiteral("Номер раздела %1 недопустим!\nНомер раздела должен быть от 1 до 16.")
                         .arg(text.trimmed()));
            field->setText(QStringLiteral("1"));
            return true;
    }
    return false;
}

std::vector<std::string> TL640MSettingsForm::codeTexts() const {
    std::vector<std::string> texts;
    texts.reserve(m_codes.size());
    for (const AccessRow& row : m_codes) texts.push_back(row.edit->text().toStdString());
    return texts;
}

bool TL640MSettingsForm::duressCodesUsed() const {
    return m_violence->itemIndex() == 1;
}

bool TL640MSettingsForm::kodExit(int c) {
    if (!duressCodesUsed()) return false;
    const std::vector<std::string> codes = codeTexts();
    const auto conflicts = kvm::codeConflicts(c, codes);
    const int v = kvm::codeValue(codes.at(static_cast<std::size_t>(c - 1))).value_or(0);
    for (const kvm::CodeConflict& conflict : conflicts) {
        const int w = kvm::codeValue(codes.at(static_cast<std::size_t>(conflict.code - 1))).value_or(0);
        if (conflict.aboveLeft)
            plainBox(QStringLiteral("Код %1 (%2) конфликтует с кодом %3 (%4): код снятия под принуждением "
                                    "кода %1 совпадает с кодом %3!\nКоды должны отличаться больше чем на 1.")
                         .arg(c)
                         .arg(v)
                         .arg(conflict.code)
                         .arg(w));
        else
            plainBox(
                QStringLiteral("Код %1 (%2) конфликтует с кодом %3 (%4): код %1 совпадает с кодом "
                               "снятия под принуждением кода %3!\nКоды должны отличаться больше чем на 1.")
                    .arg(c)
                    .arg(v)
                    .arg(conflict.code)
                    .arg(w));
    }
    return !conflicts.empty();
}

bool TL640MSettingsForm::KeyExit(int k) {
    MaskedField* field = m_keys.at(static_cast<std::size_t>(k - 1)).edit;
    const QString text = field->text();
    if (keyIncomplete(field)) {
        const bool back = context().dialogs.ask(
            kCaptionSystemMessage,
            QStringLiteral("Ключ ТМ %1 введен не полностью: %2 из 12 символов.\nВернуться и дописать ключ?\n"
                           "(«Нет» - дополнить ключ нулями в начале.)")
                .arg(k)
                .arg(text.size())
                .toStdString());
        if (back) return true;
        field->setText(keyPaddedInFront(text));
    }
    if (!keyUnstorable(field)) return false;
    context().dialogs.inform(kCaptionSystemMessage, keyEndsInFFText(k).toStdString(), MsgIcon::Warning);
    return true;
}

void TL640MSettingsForm::kodChange(int c) {
    MaskedField* field = m_codes.at(static_cast<std::size_t>(c - 1)).edit;
    if (!field->isEnabled()) return;
    const auto zeros = field->text().count(u'0');
    for (qsizetype i = 0; i < zeros; ++i)
        plainBox(QStringLiteral("Цифра 0 в коде недопустима!\nКод состоит из цифр от 1 до 9."));
    removeCharacters(field, &keptInCode);
}

void TL640MSettingsForm::KeyChange(int k) {
    MaskedField* field = m_keys.at(static_cast<std::size_t>(k - 1)).edit;
    if (!field->isEnabled()) return;
    removeCharacters(field, &keptInKey);
}

void TL640MSettingsForm::NameRzdChange(int k) {
    showOwnName(k,
                m_partitions.at(static_cast<std::size_t>(k - 1)).name->currentIndex() == livna::kOwnNameItem);
}

void TL640MSettingsForm::ViolenceCodeChange() {
    if (!duressCodesUsed()) return;
    context().dialogs.inform(kCaptionSystemMessage, kDuressCodes, MsgIcon::Warning);
    if (m_codesInUse == 0) return;
    if (kodExit(1)) m_exitGuard->returnTo(m_codes.front().edit);
}

void TL640MSettingsForm::connectChecks() {
    m_exitGuard = std::make_unique<ExitGuard>();
    ExitGuard& guard = *m_exitGuard;
    guard.watch(m_userPassword, {[this] { return userPasswordShort(m_userPassword); },
                                 [this] { return PasswordEdit2Exit(); }});
    guard.watch(m_password, {[this] { return engineerPasswordShort(m_password); },
                             [this] { return PasswordEditExit(); }});
    for (int i = 0; i < static_cast<int>(m_times.size()); ++i) {
        MaskedField* field = m_times[static_cast<std::size_t>(i)];
        guard.watch(field, {[field] { return timeOutOfRange(field); }, [this, i] { return TimeExit(i); }});
    }
    for (int r = 1; r <= kvm::kReceivers; ++r)
        for (int d = 1; d <= kvm::kDetectorsPerReceiver; ++d) {
            MaskedField* field = detectorBinding(r, d);
            guard.watch(field,
                        {[field] { return bindingRefused(field); }, [this, r, d] { return RPDExit(r, d); }});
        }
    for (int c = 1; c <= kvm::kCodes; ++c) {
        MaskedField* field = m_codes[static_cast<std::size_t>(c - 1)].edit;
        guard.watch(field,
                    {[this, c] { return duressCodesUsed() && !kvm::codeConflicts(c, codeTexts()).empty(); },
                     [this, c] { return kodExit(c); }});
        connect(field, &QLineEdit::textEdited, this, [this, c] { kodChange(c); });
        connect(field, &MaskedField::clicked, field, &QLineEdit::selectAll);
    }
    for (int k = 1; k <= kvm::kKeys; ++k) {
        MaskedField* field = m_keys[static_cast<std::size_t>(k - 1)].edit;
        guard.watch(field, {[field] { return keyIncomplete(field) || keyUnstorable(field); },
                            [this, k] { return KeyExit(k); }});
        connect(field, &QLineEdit::textEdited, this, [this, k] { KeyChange(k); });
        connect(field, &MaskedField::clicked, field, &QLineEdit::selectAll);
    }
    for (int k = 1; k <= kPartitionCount; ++k)
        connect(m_partitions[static_cast<std::size_t>(k - 1)].name, &QComboBox::activated, this,
                [this, k] { NameRzdChange(k); });
    // Only the installer's choice counts: a click on the item already chosen changes nothing, and
    // ApplyImage sets the group without asking.
    connect(m_violence->buttons(), &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && id == 1 && !applying()) ViolenceCodeChange();
    });
}

}  // namespace livna
