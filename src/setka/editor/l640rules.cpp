// The field rules of the setka editor: what leaving or changing a field answers, on the shared
// exit guard. The rules themselves are plain functions (setka_rules.h); the handlers here move
// values between them and the controls and show the boxes, captioned with the application title.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <utility>

#include "common/kvm_encoding.h"
#include "setka/editor/l640.h"
#include "setka/editor/setka_rules.h"
#include "ui/help_links.h"
#include "ui/platform.h"

namespace livna {

using namespace setka;

namespace {

constexpr const char* kHelpFile = "Setka-640-v4_6-help.hlp";
constexpr std::int32_t kAllLoopsChanged = 255;

}  // namespace

void TL640Form::inform(const QString& text) {
    m_dialogs.inform(kSetkaTitle, text.toStdString(), MsgIcon::None);
}

bool TL640Form::focusedFieldLeft() {
    return m_exitGuard->judgeFocused(this);
}

// ---- partition bindings ------------------------------------------------------------------------

bool TL640Form::bindingsRefused(int receiver) const {
    const auto range = bindingRange(receiver, editorVariant(m_context), borderItems());
    if (!range) return false;
    for (int d = 0; d < kDetectorsPerReceiver; ++d)
        if (!bindingAccepted(m_bindings[static_cast<std::size_t>(kDetectorsPerReceiver * (receiver - 1) + d)]
                                 ->text()
                                 .toStdString(),
                             *range))
            return true;
    return false;
}

void TL640Form::RPDExit(int receiver) {
    const auto range = bindingRange(receiver, editorVariant(m_context), borderItems());
    if (!range) return;
    const QString message = QString::fromStdString(bindingMessage(*range));
    MaskedField* last = nullptr;
    for (int d = 0; d < kDetectorsPerReceiver; ++d) {
        MaskedField* field = m_bindings[static_cast<std::size_t>(kDetectorsPerReceiver * (receiver - 1) + d)];
        if (bindingAccepted(field->text().toStdString(), *range)) continue;
        inform(message);
        field->setText(QString::fromLatin1(kBindingCleared));
        last = field;
    }
    if (last != nullptr) m_exitGuard->returnTo(last);
}

// ---- partition bounds ----------------------------------------------------------------------------

std::array<int, kBorders> TL640Form::borderItems() const {
    std::array<int, kBorders> items{};
    for (std::size_t b = 0; b < items.size(); ++b) items[b] = m_borders[b]->currentIndex();
    return items;
}

void TL640Form::BorderChange(int tag) {
    const auto at = static_cast<std::size_t>(tag - 1);
    if (!std::exchange(m_borderChanged[at], false)) return;  // the item already chosen
    const std::array<int, kBorders> items = borderItems();
    m_borders[at]->setCurrentIndex(correctedBorder(tag, items[at], items));
    m_borderChanged[at] = false;
    inform(QString::fromUtf8(kBordersChanged));
}

// ---- system numbers ------------------------------------------------------------------------------

std::array<int, kDetectors> TL640Form::systemNumberFields() const {
    std::array<int, kDetectors> work{};
    for (std::size_t i = 0; i < work.size(); ++i)
        work[i] = systemNumberOf(m_systemNumbers[i]->text().toStdString());
    return work;
}

bool TL640Form::systemNumbersRefused(int editedIndex) const {
    const SystemNumberScan scan = scanSystemNumbers(systemNumberFields(), editedIndex);
    return scan.outOfRange || !scan.victims.empty();
}

void TL640Form::RPDIChange(int editedIndex) {
    for (MaskedField* field : m_systemNumbers)
        if (!parseMaskedNumber(field->text().toStdString(), NumberRule::LeadingRun))
            field->setText(QString::fromLatin1(kSystemNumberCleared));
    const SystemNumberScan scan = scanSystemNumbers(systemNumberFields(), editedIndex);
    for (int victim : scan.victims) {
        MaskedField* field = m_systemNumbers[static_cast<std::size_t>(victim)];
        m_exitGuard->returnTo(field);
        inform(QString::fromStdString(systemNumberRepeatMessage(victim)));
        field->setText(QString::fromLatin1(kSystemNumberCleared));
    }
    std::copy(scan.table.begin(), scan.table.end(), m_tables.systemNumbers.begin());
    if (!scan.outOfRange) return;
    MaskedField* edited = m_systemNumbers[static_cast<std::size_t>(editedIndex)];
    m_exitGuard->returnTo(edited);
    inform(QString::fromUtf8(kSystemNumberRange));
    edited->setText(QString::fromLatin1(kSystemNumberCleared));
}

// ---- object numbers ------------------------------------------------------------------------------

std::array<std::optional<int>, kObjectFields> TL640Form::objectFields() const {
    std::array<std::optional<int>, kObjectFields> fields;
    // Variants 1 and 3 on-line read no receiver: the table stands for the fields.
    const bool read = m_context.demoMode || editorVariant(m_context) == SystemVariant::Kv4;
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = read ? parseMaskedNumber(m_objects[i]->text().toStdString(), NumberRule::AllDigits)
                         : std::optional<int>(m_tables.objectNumbers[i]);
    return fields;
}

ObjectLeave TL640Form::objectLeave(int tag) const {
    return leaveObject(objectFields(), tag, m_objectEntryValue);
}

void TL640Form::ObjectClick(int tag) {
    MaskedField* field = m_objects.at(static_cast<std::size_t>(tag));
    m_objectEntryValue = objectEntryValueOf(field->text().toStdString());
    // After a reset LastObjectValue is 0: nothing is proposed, the field keeps showing "0 ".
    if (m_objectEntryValue == 0 && m_lastObjectValue != 0 &&
        m_lastObjectIndex / kLoopsPerRpd == tag / kLoopsPerRpd)
        field->setText(QString::number(m_lastObjectValue));
}

void TL640Form::objectLeft(int tag, const ObjectLeave& leave) {
    std::copy(leave.numbers.begin(), leave.numbers.end(), m_tables.objectNumbers.begin());
    m_lastObjectValue = leave.kept;
    m_lastObjectIndex = tag;
    if (leave.changed)
        m_tables.objectChangedBits.at(static_cast<std::size_t>(tag / kLoopsPerRpd)) |=
            1 << (tag % kLoopsPerRpd);
}

bool TL640Form::ObjectExit(int tag) {
    const ObjectLeave leave = objectLeave(tag);
    m_objectAnswering = true;
    // Each field is set before it gets the focus, so that its entry value is what it shows.
    for (int blank : leave.blanks) {
        MaskedField* field = m_objects[static_cast<std::size_t>(blank)];
        bringPageToFront(field);
        inform(QString::fromUtf8(kObjectRange));
        field->setText(QString::fromLatin1(kObjectCleared));
        m_exitGuard->returnTo(field);
    }
    if (leave.repeatOf) {
        MaskedField* field = m_objects[static_cast<std::size_t>(tag)];
        bringPageToFront(field);
        inform(QString::fromStdString(objectRepeatMessage(*leave.repeatOf)));
        field->setText(QString::number(leave.kept));
        m_exitGuard->returnTo(field);
    }
    objectLeft(tag, leave);
    m_objectAnswering = false;
    return false;
}

void TL640Form::ButtonRPDClick(int receiver, int rpd) {
    const int row = kRpdsPerReceiver * (receiver - 1) + (rpd - 1);
    for (int s = 0; s < kLoopsPerRpd; ++s) {
        MaskedField* field = m_objects[static_cast<std::size_t>(kLoopsPerRpd * row + s)];
        // The panel is told of every loop whose object the reset took away.
        if (objectEntryValueOf(field->text().toStdString()) != 0)
            m_tables.objectChangedBits[static_cast<std::size_t>(row)] |= 1 << s;
        field->setText(QString::fromLatin1(kObjectCleared));
    }
    m_lastObjectValue = 0;
}

void TL640Form::BitBtn2Click() {
    for (int r = 1; r <= kReceivers; ++r)
        for (int p = 1; p <= kRpdsPerReceiver; ++p) ButtonRPDClick(r, p);
    m_tables.radioObjects.fill(0);
    m_tables.objectChangedBits.fill(kAllLoopsChanged);
}

// ---- checks before the settings leave the editor --------------------------------------------------

std::vector<AccessRow> TL640Form::accessRows(const std::vector<AccessRowWidgets>& widgets) const {
    std::vector<AccessRow> rows;
    rows.reserve(widgets.size());
    for (const AccessRowWidgets& w : widgets) rows.push_back(accessRowOf(w));
    return rows;
}

int TL640Form::walkAccessRows(std::vector<AccessRowWidgets>& widgets, int count, AccessWalker walker) {
    // Each question is a Yes/No box without icon, Yes the default.
    const AccessWalk walk = walker(accessRows(widgets), count, [this](const Question& q) {
        return m_dialogs.message({q.caption, q.text, MsgIcon::None, MsgButtons::YesNo, MsgAnswer::Yes}) ==
               MsgAnswer::Yes;
    });
    for (std::size_t n = 0; n < widgets.size() && n < walk.rows.size(); ++n)
        if (accessRowOf(widgets[n]) != walk.rows[n]) showAccessRow(widgets[n], walk.rows[n]);
    return walk.result;
}

int TL640Form::CheckCodes() {
    return walkAccessRows(m_codes, m_codeCount.counter->position(), &checkCodes);
}

int TL640Form::CheckKeys() {
    return walkAccessRows(m_keys, m_keyCount.counter->position(), &checkKeys);
}

int TL640Form::RemoveDuplicateCodes() {
    const DuplicateCodes out = removeDuplicateCodes(accessRows(m_codes), m_codeCount.counter->position());
    if (!out.removed.empty()) bringPageToFront(m_names.get<QWidget>(QStringLiteral("TabSheetKod")));
    for (int n : out.removed) {
        inform(QString::fromStdString(duplicateCodeMessage(n)));
        m_codes[static_cast<std::size_t>(n - 1)].edit->clear();
    }
    m_codeCount.edit->setText(QString::number(out.count));
    m_codeCount.counter->setPosition(out.count);
    codeCountRule();
    bringPageToFront(m_names.get<QWidget>(QStringLiteral("TabSheetRazdel")));
    return 1;
}

// ---- partition types and relays ------------------------------------------------------------------

void TL640Form::ChangeTip(int k) {
    const PartitionWidgets& p = m_partitions.at(static_cast<std::size_t>(k - 1));
    const bool fire = p.type[static_cast<std::size_t>(PartitionType::Fire)]->isChecked();
    for (QCheckBox* box : {p.krs, p.tix}) {
        box->setChecked(false);
        box->setEnabled(!fire);
    }
}

void TL640Form::ReleComboExit() {
    m_relayItems = {m_relay1->currentIndex(), m_relay2->currentIndex()};
}

void TL640Form::PageControlChange() {
    QWidget* page = m_pages->currentWidget();
    if (page == nullptr || !page->isAncestorOf(m_names.get<QWidget>(QStringLiteral("TabSheetRazdel"))))
        return;
    m_relay1->setCurrentIndex(m_relayItems[0]);
    m_relay2->setCurrentIndex(m_relayItems[1]);
}

// ---- durations and counts ------------------------------------------------------------------------

void TL640Form::durationChange(const SecondsWidgets& field) {
    const QString text = field.edit->text();
    const DurationVerdict verdict = judgeDuration(text.toStdString());
    switch (verdict.kind) {
        case DurationVerdict::Empty:
            return;
        case DurationVerdict::Value:
            field.counter->setPosition(verdict.value);
            return;
        case DurationVerdict::OutOfRange:
            inform(QString::fromUtf8(kDurationRange));
            field.edit->setText(QStringLiteral("1"));
            return;
        case DurationVerdict::NotANumber:
            inform(QString::fromStdString(durationNotANumberMessage(text.toStdString())));
            field.edit->setText(QString::number(field.counter->position()));
            return;
    }
}

void TL640Form::countEditChange(const SecondsWidgets& field) {
    bool ok = false;
    const int value = field.edit->text().trimmed().toInt(&ok);
    if (ok) field.counter->setPosition(value);
}

// ---- passwords, codes, keys, names ---------------------------------------------------------------

void TL640Form::passwordChange(MaskedField* field) {
    if (m_applying) return;  // an apply removes them itself and tells it in its one box
    const auto zeros = field->text().count(u'0');
    for (qsizetype i = 0; i < zeros; ++i) inform(QString::fromUtf8(kZeroNotAllowed));
    removeCharacters(field, &keptInPassword);
}

bool TL640Form::passwordExit(Field field) {
    inform(QString::fromUtf8(passwordMessage(field)));
    return true;
}

void TL640Form::kodChange(int n) {
    QLineEdit* field = m_codes.at(static_cast<std::size_t>(n - 1)).edit;
    if (!field->isEnabled()) return;
    const auto zeros = field->text().count(u'0');
    for (qsizetype i = 0; i < zeros; ++i) inform(QString::fromUtf8(kZeroNotAllowed));
    removeCharacters(field, &keptInCode);
}

void TL640Form::KeyChange(int n) {
    QLineEdit* field = m_keys.at(static_cast<std::size_t>(n - 1)).edit;
    if (field->isEnabled()) removeCharacters(field, &keptInKey);
}

bool TL640Form::keyRefused(int n) const {
    const QLineEdit* field = m_keys.at(static_cast<std::size_t>(n - 1)).edit;
    if (field->isReadOnly()) return false;  // a key carried as the panel holds it
    return !keyIsComplete(field->text()) || !isStorableKey(field->text().toStdString());
}

bool TL640Form::KeyExit(int n) {
    QLineEdit* field = m_keys.at(static_cast<std::size_t>(n - 1)).edit;
    if (!keyIsComplete(field->text())) {
        const MsgAnswer again = m_dialogs.message(
            {kKeyShortCaption, kKeyRetypeText, MsgIcon::None, MsgButtons::YesNo, MsgAnswer::Yes});
        if (again == MsgAnswer::Yes) return true;
        field->setText(keyPaddedInFront(field->text()));
    }
    if (isStorableKey(field->text().toStdString())) return false;
    inform(keyEndsInFFText(n));
    return true;
}

bool TL640Form::OwnNameChange(int k) {
    QLineEdit* field = m_partitions.at(static_cast<std::size_t>(k - 1)).ownName;
    inform(QString::fromUtf8(kOwnNameCut));
    field->setText(field->text().left(static_cast<qsizetype>(kOwnNameMax)));
    return true;
}

// ---- help and the maker's links ------------------------------------------------------------------

void TL640Form::openDocument(const std::string& target) {
    if (!m_launcher->openDocument(target))
        inform(QString::fromStdString(openFailureText(target, QDir::currentPath())));
}

void TL640Form::BitBtn1Click() {
    openDocument(helpTarget(kHelpFile, platformShowsWinHelp(), QFile::exists(QString::fromUtf8(kHelpFile))));
}

void TL640Form::Image1Click() {
    openDocument(webSiteUrl(QString::fromUtf8(kWebSiteAddress)));
}

void TL640Form::Image3Click() {
    Image1Click();
}

bool TL640Form::eventFilter(QObject* watched, QEvent* event) {
    // Entering an Object field: the installer's own moves and the guard's return count; a window
    // coming back to the front does not, nor a field the focus only passes while a leave waits.
    if (event->type() == QEvent::FocusIn && ExitGuard::isLeave(static_cast<QFocusEvent*>(event)->reason()) &&
        (!m_exitGuard->answering() || m_objectAnswering)) {
        if (const QVariant tag = watched->property("Tag");
            tag.isValid() && qobject_cast<MaskedField*>(watched) != nullptr &&
            watched->objectName().startsWith(QStringLiteral("Object")))
            ObjectClick(tag.toInt());
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched->objectName() == QStringLiteral("Image1")) Image1Click();
        if (watched->objectName() == QStringLiteral("Image3")) Image3Click();
    }
    return QWidget::eventFilter(watched, event);
}

// ---- wiring --------------------------------------------------------------------------------------

void TL640Form::connectRules() {
    for (int k = 1; k <= kPartitions; ++k)
        // Only a type that changes counts; an image sets the types while the rules rest.
        connect(m_partitions[static_cast<std::size_t>(k - 1)].typeGroup, &QButtonGroup::idToggled, this,
                [this, k](int, bool checked) {
                    if (checked && !m_applying) ChangeTip(k);
                });
    // A pick emits the change of item first, then the pick itself; a change that no pick follows
    // (an image, the layout) is forgotten once the event loop comes back.
    for (int t = 1; t <= kBorders; ++t) {
        const auto at = static_cast<std::size_t>(t - 1);
        connect(m_borders[at], &QComboBox::currentIndexChanged, this, [this, at] {
            m_borderChanged[at] = true;
            QMetaObject::invokeMethod(
                this, [this, at] { m_borderChanged[at] = false; }, Qt::QueuedConnection);
        });
        connect(m_borders[at], &QComboBox::activated, this, [this, t] { BorderChange(t); });
    }
    for (QComboBox* combo : {m_relay1, m_relay2, m_kvRelay1, m_kvRelay2, m_speed})
        connect(combo, &QComboBox::activated, this, &TL640Form::ReleComboExit);
    connect(m_pages, &QTabWidget::currentChanged, this, &TL640Form::PageControlChange);
    for (int r = 1; r <= kReceivers; ++r)
        for (int p = 1; p <= kRpdsPerReceiver; ++p) {
            const QString name = r == 1 ? QStringLiteral("ButtonRPD%1").arg(p)
                                        : QStringLiteral("ButtonRPY%1RPD%2").arg(r).arg(p);
            connect(m_names.get<QPushButton>(name), &QPushButton::clicked, this,
                    [this, r, p] { ButtonRPDClick(r, p); });
        }
    connect(m_names.get<QPushButton>(QStringLiteral("BitBtn2")), &QPushButton::clicked, this,
            &TL640Form::BitBtn2Click);
    for (MaskedField* field : m_objects) field->installEventFilter(this);

    for (const SecondsWidgets* field : {&m_exitDelay, &m_entryDelay, &m_sounderTime, &m_backlightTime,
                                        &m_externalTime, &m_kvSounderTime, &m_kvBacklightTime})
        connect(field->edit, &QLineEdit::textChanged, this, [this, field] { durationChange(*field); });
    for (const SecondsWidgets* field : {&m_codeCount, &m_keyCount})
        connect(field->edit, &QLineEdit::textChanged, this, [this, field] { countEditChange(*field); });

    for (MaskedField* field : {m_password, m_userPassword})
        connect(field, &QLineEdit::textChanged, this, [this, field] { passwordChange(field); });
    for (int n = 1; n <= kCodes; ++n) {
        auto* field = qobject_cast<MaskedField*>(m_codes[static_cast<std::size_t>(n - 1)].edit);
        connect(field, &QLineEdit::textEdited, this, [this, n] { kodChange(n); });
        connect(field, &MaskedField::clicked, field, &QLineEdit::selectAll);
    }
    for (int n = 1; n <= kKeys; ++n) {
        auto* field = qobject_cast<MaskedField*>(m_keys[static_cast<std::size_t>(n - 1)].edit);
        connect(field, &QLineEdit::textEdited, this, [this, n] { KeyChange(n); });
        connect(field, &MaskedField::clicked, field, &QLineEdit::selectAll);
    }
}

void TL640Form::watchFields() {
    m_exitGuard = std::make_unique<ExitGuard>();
    ExitGuard& guard = *m_exitGuard;
    for (int r = 1; r <= kReceivers; ++r)
        for (int d = 0; d < kDetectorsPerReceiver; ++d)
            guard.watch(m_bindings[static_cast<std::size_t>(kDetectorsPerReceiver * (r - 1) + d)],
                        {[this, r] { return bindingsRefused(r); },
                         [this, r] {
                             RPDExit(r);
                             return false;
                         }});
    for (int i = 0; i < kDetectors; ++i)
        guard.watch(m_systemNumbers[static_cast<std::size_t>(i)],
                    {[this, i] { return systemNumbersRefused(i); },
                     [this, i] {
                         RPDIChange(i);
                         return false;
                     },
                     [this, i] { RPDIChange(i); }});
    const std::array<std::pair<MaskedField*, Field>, 4> passwords{{{m_password, Field::PasswordEdit},
                                                                   {m_userPassword, Field::PasswordEdit2},
                                                                   {m_kvEngineer, Field::paswrd1},
                                                                   {m_kvAdmin, Field::paswrd2}}};
    for (auto [field, which] : passwords)
        guard.watch(field,
                    {[field, which] { return passwordShort(which, field->positionalText().toStdString()); },
                     [this, which] { return passwordExit(which); }});
    for (int n = 1; n <= kKeys; ++n)
        guard.watch(m_keys[static_cast<std::size_t>(n - 1)].edit,
                    {[this, n] { return keyRefused(n); }, [this, n] { return KeyExit(n); }});
    for (int tag = 0; tag < kObjectFields; ++tag)
        guard.watch(
            m_objects[static_cast<std::size_t>(tag)],
            {[this, tag] { return objectLeave(tag).refused(); }, [this, tag] { return ObjectExit(tag); },
             [this, tag] { objectLeft(tag, objectLeave(tag)); }});
    // A relay combo's exit keeps what it shows, as its change does.
    for (QComboBox* combo : {m_relay1, m_relay2, m_kvRelay1, m_kvRelay2, m_speed})
        guard.watch(combo, {[] { return false; }, [] { return false; }, [this] { ReleComboExit(); }});
    for (int k = 1; k <= kPartitions; ++k) {
        QLineEdit* field = m_partitions[static_cast<std::size_t>(k - 1)].ownName;
        guard.watch(field, {[field] { return field->text().size() > static_cast<qsizetype>(kOwnNameMax); },
                            [this, k] { return OwnNameChange(k); }});
    }
}

}  // namespace livna
