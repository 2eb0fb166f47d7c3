// The setka editor window: creation, the layout per system variant, and the mapping between the
// controls and the editor model, one pass each way, with the rule effects showing an image sets off.
#include "setka/editor/l640.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>

#include <algorithm>

#include "common/kvm_encoding.h"
#include "setka/editor/setka_rules.h"
#include "ui/desktop_launcher.h"

namespace livna {

using namespace setka;

namespace {

constexpr int kDemoStatusWidth = 420;
constexpr int kWindowWidth = 1000;
constexpr int kWindowHeight = 700;

std::string std8(const QString& s) {
    return s.toStdString();
}
QString qt8(const std::string& s) {
    return QString::fromStdString(s);
}

/// The tab widget that holds a page (directly or inside its scroll area) and the page's index.
std::pair<QTabWidget*, int> tabOf(QWidget* page) {
    for (QWidget* w = page; w != nullptr && w->parentWidget() != nullptr; w = w->parentWidget()) {
        QWidget* stack = w->parentWidget();
        if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget())) {
            const int index = tabs->indexOf(w);
            if (index >= 0) return {tabs, index};
        }
    }
    return {nullptr, -1};
}

const char* variantDemoText(SystemVariant variant) {
    switch (variant) {
        case SystemVariant::Kvm1:
            return "1 РПУ(КВ-М).";
        case SystemVariant::Kvm4:
            return "4 РПУ(КВ-М).";
        case SystemVariant::Kv4:
            break;
    }
    return "4 РПУ(КВ).";
}

/// "major.minor" of a version code (codes of 100 and above keep two minor digits).
QString versionText(int code) {
    if (code >= 100) return QStringLiteral("%1.%2").arg(code / 100).arg(code % 100);
    return QStringLiteral("%1.%2").arg(code / 10).arg(code % 10);
}

void setCounter(const TL640Form::SecondsWidgets& field, int position) {
    field.counter->setPosition(position);
    field.edit->setText(QString::number(field.counter->position()));
}

/// The stored value of the checked button of a three-way choice; the previous value when none is.
int checkedOf(const std::array<QRadioButton*, 3>& buttons, int previous) {
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked()) return static_cast<int>(i);
    return previous;
}

void checkOne(const std::array<QRadioButton*, 3>& buttons, int value) {
    if (value >= 0 && value < 3) buttons[static_cast<std::size_t>(value)]->setChecked(true);
}

}  // namespace

TL640Form::TL640Form(DialogService& dialogs, LinkContext& context, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_context(context), m_layoutVariant(context.chosenVariant) {
    setObjectName(QStringLiteral("L640Form"));
    setWindowTitle(QStringLiteral("Ливна-640: настройка прибора"));
    m_desktopLauncher = std::make_unique<DesktopLauncher>();
    m_launcher = m_desktopLauncher.get();
    buildControls();
    connectEffects();
    watchFields();
    connectRules();
    resize(kWindowWidth, kWindowHeight);

    for (std::size_t b = 0; b < m_borders.size(); ++b) m_borders[b]->setCurrentIndex(kStandardBorders[b]);
    for (const PartitionWidgets& p : m_partitions) p.name->setCurrentIndex(0);
    m_names.get<QWidget>(QStringLiteral("PanelKV"))->setVisible(context.chosenVariant == SystemVariant::Kv4);
    m_kvmPage->setVisible(context.chosenVariant != SystemVariant::Kv4);
    m_pages->setEnabled(false);  // until an image is shown

    m_context.versionMatched = false;  // a version code left by an earlier editor picks nothing
    if (m_context.demoMode) {
        m_statusPanels[0]->setFixedWidth(kDemoStatusWidth);
        m_statusPanels[1]->setText(QStringLiteral("  Демо режим для ") +
                                   QString::fromUtf8(variantDemoText(context.chosenVariant)) +
                                   QStringLiteral(" Связь с прибором недоступна."));
    } else {
        m_tables.writeDefaultsOnce = false;
    }
    m_view.kvm.borders = kStandardBorders;
    readView();
}

TL640Form::~TL640Form() = default;

QColor TL640Form::rowInUseColour() {
    return QPalette().color(QPalette::Base);
}
QColor TL640Form::rowNotInUseColour() {
    return QPalette().color(QPalette::Button);
}

// ---- layout ----------------------------------------------------------------------------------

void TL640Form::setTabShown(const QString& page, bool shown) {
    auto [tabs, index] = tabOf(m_names.get<QWidget>(page));
    if (tabs != nullptr) tabs->setTabVisible(index, shown);
}

void TL640Form::setTabCaption(const QString& page, const QString& caption) {
    auto [tabs, index] = tabOf(m_names.get<QWidget>(page));
    if (tabs != nullptr) tabs->setTabText(index, caption);
}

bool TL640Form::tabShown(const QString& page) const {
    auto [tabs, index] = tabOf(m_names.get<QWidget>(page));
    return tabs != nullptr && tabs->isTabVisible(index);
}

QString TL640Form::tabCaption(const QString& page) const {
    auto [tabs, index] = tabOf(m_names.get<QWidget>(page));
    return tabs != nullptr ? tabs->tabText(index) : QString();
}

void TL640Form::LayOut(SystemVariant variant, std::optional<int> minor) {
    m_layoutVariant = variant;
    m_layoutMinor = minor;
    const bool kv = variant == SystemVariant::Kv4;
    const bool one = variant == SystemVariant::Kvm1;
    auto show = [&](const QString& name, bool shown) { m_names.get<QWidget>(name)->setVisible(shown); };
    auto enable = [&](const QString& name, bool on) { m_names.get<QWidget>(name)->setEnabled(on); };

    setTabShown(QStringLiteral("TabSheetRazdel"), true);
    setTabCaption(QStringLiteral("TabSheetRazdel"),
                  kv ? QStringLiteral("Режимы работы прибора") : QStringLiteral("Параметры разделов"));
    setTabCaption(QStringLiteral("TabSheetKod"), kv ? QStringLiteral("Редактирование кодов подтверждения")
                                                    : QStringLiteral("Редактирование кодов"));
    if (!kv) setTabShown(QStringLiteral("TabSheetKod"), true);
    setTabShown(QStringLiteral("TabSheetPriv"), !kv);
    setTabShown(QStringLiteral("TabSheetKey"), !kv);
    setTabShown(QStringLiteral("TabSheetName"), kv);
    if (kv) {
        setTabCaption(QStringLiteral("TabSheetName"), QStringLiteral("Назначение в объекты"));
        for (int r = 1; r <= kReceivers; ++r) setTabShown(QStringLiteral("TabSheet_KV_RPY%1").arg(r), true);
        setTabShown(QStringLiteral("TabSheetNameRzd"), false);
    }
    if (variant != SystemVariant::Kvm4) setTabShown(QStringLiteral("TabSheetSysNum"), false);
    show(QStringLiteral("PanelKV"), kv);
    m_kvmPage->setVisible(!kv);
    for (const char* name : {"Razdel", "Rele1Combo", "Rele2Combo"}) enable(QString::fromLatin1(name), !kv);
    for (const char* name : {"GroupBox7", "GroupBox14", "GroupBox19", "Status_izv"})
        show(QString::fromLatin1(name), !kv);
    if (kv)
        for (const char* name : {"GroupBox1", "GroupBox8"}) show(QString::fromLatin1(name), false);
    if (one)
        for (int r = 2; r <= kReceivers; ++r) setTabShown(QStringLiteral("RPU%1").arg(r), false);
    if (!kv) {
        setTabCaption(QStringLiteral("RPU1"), one ? QStringLiteral("РПУ") : QStringLiteral("РПУ №1"));
        m_names.get<QGroupBox>(QStringLiteral("GroupBoxPriv"))
            ->setTitle(one ? QStringLiteral("Привязки извещателей РПУ Ливна КВМ")
                           : QStringLiteral("Привязки извещателей РПУ Ливна КВМ №1"));
        show(QStringLiteral("Label1135"), true);
        for (const PartitionWidgets& p : m_partitions) p.iskl->setVisible(true);
        show(QStringLiteral("GroupBox36"), !one);
    }
    for (const PartitionWidgets& p : m_partitions) p.type[2]->setVisible(!kv);
    show(QStringLiteral("Label1520"), !kv);
    show(QStringLiteral("GroupBox26"), variant == SystemVariant::Kvm4);  // the receiver tabs start at 142
    m_names.get<QLabel>(QStringLiteral("TypeLabel"))
        ->setText(kv ? QStringLiteral("Тип прибора: Ливна 640-КВ")
                     : QStringLiteral("Тип прибора: Ливна 640-КВМ"));
    if (kv) {
        m_names.get<QLabel>(QStringLiteral("VersionLabel"))
            ->setText(QStringLiteral("Версия ПО прибора: ") +
                      (m_context.demoMode ? QString() : versionText(m_context.versionCode)));
        for (AccessRowWidgets& row : m_codes)
            for (QCheckBox* box : row.boxes) {
                box->setChecked(false);
                box->setVisible(false);
            }
        for (int m = 1; m <= kPartitions; ++m)
            show(QStringLiteral("Label%1").arg(m <= 8 ? 218 + m : 251 + m), false);
        m_names.get<QGroupBox>(QStringLiteral("IdBox"))->setTitle(QStringLiteral("Коды:"));
    }
}

void TL640Form::LayOutOnline(SystemVariant variant, int minor) {
    LayOut(variant, minor);
    auto show = [&](const char* name, bool shown) {
        m_names.get<QWidget>(QString::fromLatin1(name))->setVisible(shown);
    };
    auto thirdType = [&](bool shown) {
        for (const PartitionWidgets& p : m_partitions) p.type[2]->setVisible(shown);
        show("Label1520", shown);
    };
    if (variant == SystemVariant::Kvm1) {
        thirdType(false);
        if (minor <= 6) {
            for (const char* name : {"GroupBox21", "GSMkom"}) show(name, false);
            setTabShown(QStringLiteral("TabSheetNameRzd"), false);
        }
        if (minor == 7) {
            show("GroupBox21", false);
            show("GSMkom", true);
            setTabShown(QStringLiteral("TabSheetNameRzd"), false);
        }
        if (minor <= 8)
            for (const char* name : {"kom671", "MemRazd"}) show(name, false);
        if (minor >= 9) thirdType(true);
    }
    if (variant == SystemVariant::Kvm4) {
        if (minor <= 2) {
            for (std::size_t b = 0; b < m_borders.size(); ++b) {
                m_borders[b]->setCurrentIndex(kStandardBorders[b]);
                m_borders[b]->setEnabled(false);
            }
            m_view.kvm.borders = kStandardBorders;
            show("GroupBox36", false);
            thirdType(false);
        }
        if (minor <= 1) setTabShown(QStringLiteral("TabSheetSysNum"), false);
        if (minor <= 3)
            for (const char* name : {"kom671", "MemRazd"}) show(name, false);
    }
    // Variant 5 keeps the demo layout; the version shows through VersionLabel.
}

// ---- image <-> controls ----------------------------------------------------------------------

void TL640Form::showView() {
    const KvmControls& c = m_view.kvm;
    m_password->setText(qt8(c.engineerPassword));
    m_userPassword->setText(qt8(c.userPassword));
    setCounter(m_exitDelay, c.exitDelay);
    setCounter(m_entryDelay, c.entryDelay);
    setCounter(m_externalTime, c.externalSounderTime);
    setCounter(m_sounderTime, c.sounderTime);
    setCounter(m_backlightTime, c.backlightTime);
    for (std::size_t k = 0; k < m_partitions.size(); ++k) {
        const PartitionWidgets& w = m_partitions[k];
        const KvmPartition& p = c.partitions[k];
        w.name->setCurrentIndex(p.nameItem);
        w.ownName->setText(qt8(p.ownName));
        w.type[static_cast<std::size_t>(p.type)]->setChecked(true);
        w.avt->setChecked(p.automaticArming);
        w.tix->setChecked(p.silent);
        w.krs->setChecked(p.twentyFourHour);
        w.iskl->setChecked(p.excludable);
        w.relay1->setChecked(p.relay1);
        w.relay2->setChecked(p.relay2);
    }
    m_relay1->setCurrentIndex(c.relay1Mode);
    m_relay2->setCurrentIndex(c.relay2Mode);
    for (std::size_t d = 0; d < m_bindings.size(); ++d) {
        m_bindings[d]->setText(qt8(c.bindings[d]));
        m_systemNumbers[d]->setText(qt8(c.systemNumbers[d]));
    }
    for (std::size_t b = 0; b < m_borders.size(); ++b) m_borders[b]->setCurrentIndex(c.borders[b]);
    checkOne(m_sounder, c.sounderMode);
    checkOne(m_backlight, c.backlightMode);
    m_passwordReset[c.passwordResetForbidden ? 1 : 0]->setChecked(true);
    for (std::size_t i = 0; i < m_kvmReports.size(); ++i)
        m_kvmReports[i][c.reportAsAlarm[i] ? 0 : 1]->setChecked(true);
    m_gsm->setItemIndex(c.gsmPolling ? 0 : 1);
    m_kom671->setItemIndex(c.kom671Polling ? 0 : 1);
    m_memory->setItemIndex(c.partitionMemoryOn ? 0 : 1);

    const KvControls& v = m_view.kv;
    m_kvEngineer->setText(qt8(v.engineerPassword));
    m_kvAdmin->setText(qt8(v.adminPassword));
    checkOne(m_kvSounder, v.sounderMode);
    checkOne(m_kvBacklight, v.backlightMode);
    setCounter(m_kvSounderTime, v.sounderTime);
    setCounter(m_kvBacklightTime, v.backlightTime);
    for (std::size_t i = 0; i < m_kvReports.size(); ++i)
        m_kvReports[i][v.reportAsAlarm[i] ? 1 : 0]->setChecked(true);
    m_kvPasswordReset[v.passwordResetForbidden ? 1 : 0]->setChecked(true);
    m_kvRelay1->setCurrentIndex(v.relay1Mode);
    m_kvRelay2->setCurrentIndex(v.relay2Mode);
    m_speed->setCurrentIndex(v.speed4800 ? 1 : 0);
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        // A stored pair may decode to more than three places; it is shown as it decodes.
        const QString object = qt8(v.objects[i]);
        m_objects[i]->setMaxLength(std::max(static_cast<int>(object.size()), m_objects[i]->positions()));
        m_objects[i]->setText(object);
    }

    setCounter(m_codeCount, m_view.codeCount);
    setCounter(m_keyCount, m_view.keyCount);
    auto showRows = [](std::vector<AccessRowWidgets>& widgets, const auto& rows) {
        for (std::size_t n = 0; n < widgets.size(); ++n) showAccessRow(widgets[n], rows[n]);
    };
    showRows(m_codes, m_view.codes);
    showRows(m_keys, m_view.keys);
}

void TL640Form::readView() {
    KvmControls& c = m_view.kvm;
    c.engineerPassword = std8(m_password->text());
    c.userPassword = std8(m_userPassword->positionalText());
    c.exitDelay = m_exitDelay.counter->position();
    c.entryDelay = m_entryDelay.counter->position();
    c.externalSounderTime = m_externalTime.counter->position();
    c.sounderTime = m_sounderTime.counter->position();
    c.backlightTime = m_backlightTime.counter->position();
    for (std::size_t k = 0; k < m_partitions.size(); ++k) {
        const PartitionWidgets& w = m_partitions[k];
        KvmPartition& p = c.partitions[k];
        p.nameItem = w.name->currentIndex();
        p.ownName = std8(w.ownName->text());
        if (w.typeGroup->checkedId() >= 0) p.type = static_cast<PartitionType>(w.typeGroup->checkedId());
        p.automaticArming = w.avt->isChecked();
        p.silent = w.tix->isChecked();
        p.twentyFourHour = w.krs->isChecked();
        p.excludable = w.iskl->isChecked();
        p.relay1 = w.relay1->isChecked();
        p.relay2 = w.relay2->isChecked();
    }
    c.relay1Mode = m_relay1->currentIndex();
    c.relay2Mode = m_relay2->currentIndex();
    for (std::size_t d = 0; d < m_bindings.size(); ++d) {
        c.bindings[d] = std8(m_bindings[d]->text());
        c.systemNumbers[d] = std8(m_systemNumbers[d]->text());
    }
    for (std::size_t b = 0; b < m_borders.size(); ++b) c.borders[b] = m_borders[b]->currentIndex();
    c.sounderMode = checkedOf(m_sounder, c.sounderMode);
    c.backlightMode = checkedOf(m_backlight, c.backlightMode);
    c.passwordResetForbidden = m_passwordReset[1]->isChecked();
    for (std::size_t i = 0; i < m_kvmReports.size(); ++i)
        c.reportAsAlarm[i] = m_kvmReports[i][0]->isChecked();
    c.gsmPolling = m_gsm->itemIndex() == 0;
    c.kom671Polling = m_kom671->itemIndex() == 0;
    c.partitionMemoryOn = m_memory->itemIndex() == 0;

    KvControls& v = m_view.kv;
    v.engineerPassword = std8(m_kvEngineer->positionalText());
    v.adminPassword = std8(m_kvAdmin->positionalText());
    v.sounderMode = checkedOf(m_kvSounder, v.sounderMode);
    v.backlightMode = checkedOf(m_kvBacklight, v.backlightMode);
    v.sounderTime = m_kvSounderTime.counter->position();
    v.backlightTime = m_kvBacklightTime.counter->position();
    for (std::size_t i = 0; i < m_kvReports.size(); ++i) v.reportAsAlarm[i] = m_kvReports[i][1]->isChecked();
    v.passwordResetForbidden = m_kvPasswordReset[1]->isChecked();
    v.relay1Mode = m_kvRelay1->currentIndex();
    v.relay2Mode = m_kvRelay2->currentIndex();
    v.speed4800 = m_speed->currentIndex() == 1;
    for (std::size_t i = 0; i < m_objects.size(); ++i) v.objects[i] = std8(m_objects[i]->text());

    m_view.codeCount = m_codeCount.counter->position();
    m_view.keyCount = m_keyCount.counter->position();
    auto readRows = [](const std::vector<AccessRowWidgets>& widgets, auto& rows) {
        for (std::size_t n = 0; n < widgets.size(); ++n) rows[n] = accessRowOf(widgets[n]);
    };
    readRows(m_codes, m_view.codes);
    readRows(m_keys, m_view.keys);
}

setka::AccessRow TL640Form::accessRowOf(const AccessRowWidgets& widgets) {
    AccessRow row{std8(widgets.edit->text()), 0};
    for (std::size_t m = 0; m < widgets.boxes.size(); ++m)
        if (widgets.boxes[m]->isChecked()) row.authorities |= static_cast<std::uint16_t>(1u << m);
    return row;
}

void TL640Form::showAccessRow(AccessRowWidgets& widgets, const setka::AccessRow& row) {
    widgets.edit->setText(qt8(row.text));
    for (std::size_t m = 0; m < widgets.boxes.size(); ++m)
        widgets.boxes[m]->setChecked(((row.authorities >> m) & 1u) != 0);
}

void TL640Form::runApplyEffects() {
    partitionTypeRule();
    durationEnablingRule();
    codeCountRule();
    keyCountRule();
    for (int k = 1; k <= kPartitions; ++k) ownNameRule(k);
}

void TL640Form::ApplyImage(const SettingsImage& image, ImageSource source) {
    m_pages->setEnabled(true);
    readView();  // controls of the other variants keep what they show
    const ApplyReport report = applyImage(image, source, m_context, m_view, m_tables);
    showImage(report);
}

void TL640Form::showImage(const ApplyReport& report) {
    m_applying = true;
    showView();
    m_applying = false;
    m_borderChanged.fill(false);  // the bounds of an image are no pick
    if (editorVariant(m_context) != SystemVariant::Kv4)
        m_relayItems = {m_view.kvm.relay1Mode, m_view.kvm.relay2Mode};
    runApplyEffects();
    tellReport(report);
}

void TL640Form::tellReport(const ApplyReport& report) {
    QStringList lines;
    if (report.systemNumbersZeroed)
        lines << QStringLiteral(
            "Внимание! Существуют повторяющиеся системные номера РПДИ-они будут занулены! "
            "Рекомендуется сохранить настройки в прибор!");
    for (Field field : report.zerosRemoved)
        lines << QStringLiteral("%1 0 удален из пароля %2.")
                     .arg(QString::fromUtf8(kZeroNotAllowed), field == Field::PasswordEdit
                                                                  ? QStringLiteral("инженера")
                                                                  : QStringLiteral("пользователя"));
    for (const ObjectRepeat& r : report.objectRepeats)
        lines << QStringLiteral("Повтор номера объекта %1 в РПД №%2 и РПД №%3")
                     .arg(r.object)
                     .arg(r.first / kLoopsPerRpd + 1)
                     .arg(r.second / kLoopsPerRpd + 1);
    if (lines.isEmpty()) return;
    m_dialogs.inform(kSetkaTitle, std8(lines.join(QLatin1Char('\n'))), MsgIcon::None);
}

void TL640Form::refuse(const Refusal& refusal) {
    QWidget* field = nullptr;
    QString text = QString::fromUtf8(passwordMessage(refusal.field));
    switch (refusal.field) {
        case Field::PasswordEdit:
            field = m_password;
            break;
        case Field::PasswordEdit2:
            field = m_userPassword;
            break;
        case Field::paswrd1:
            field = m_kvEngineer;
            break;
        case Field::paswrd2:
            field = m_kvAdmin;
            break;
        case Field::kod:
            field = m_codes.at(static_cast<std::size_t>(refusal.index - 1)).edit;
            text = QStringLiteral("Код №%1 может содержать только цифры от 1 до 9.").arg(refusal.index);
            break;
    }
    m_dialogs.inform(kSetkaTitle, std8(text), MsgIcon::None);
    auto [tabs, index] = tabOf(field);
    for (QWidget* w = field; tabs != nullptr; std::tie(tabs, index) = tabOf(w = tabs))
        tabs->setCurrentIndex(index);
    field->setFocus();
}

std::optional<SettingsImage> TL640Form::taken(std::variant<SettingsImage, Refusal> result) {
    if (const auto* refusal = std::get_if<Refusal>(&result)) {
        refuse(*refusal);
        return std::nullopt;
    }
    return std::get<SettingsImage>(std::move(result));
}

std::optional<SettingsImage> TL640Form::GatherImage() {
    readView();
    return taken(gatherImage(m_context, m_view, m_tables));
}

std::optional<SettingsImage> TL640Form::GatherCodes() {
    readView();
    return taken(gatherCodes(m_context, m_view, m_tables));
}

void TL640Form::DefaultButtonClick() {
    m_pages->setEnabled(true);
    readView();
    const ApplyReport report = factorySettings(m_context, m_view, m_tables);
    m_pages->setCurrentIndex(tabOf(m_names.get<QWidget>(QStringLiteral("TabSheetRazdel"))).second);
    showImage(report);
    m_statusPanels[0]->setText(QStringLiteral("Заводские установки выставлены"));
}

void TL640Form::setHeldCodes(const SettingsImage& codes) {
    SettingsImage held = codes;
    held.values().resize(kHeldCodesSize, 0);
    m_tables.heldCodes = std::move(held);
}

// ---- rule effects ----------------------------------------------------------------------------

void TL640Form::connectEffects() {
    for (PartitionWidgets& p : m_partitions) {
        const int k = p.name->property("Tag").toInt();
        connect(p.name, &QComboBox::currentIndexChanged, this, [this, k] {
            if (!m_applying) ownNameRule(k);
        });
    }
    for (const auto* buttons : {&m_sounder, &m_backlight, &m_kvSounder, &m_kvBacklight})
        for (QRadioButton* b : *buttons)
            connect(b, &QRadioButton::toggled, this, [this] {
                if (!m_applying) durationEnablingRule();
            });
    connect(m_codeCount.counter, &UpDown::positionChanged, this, [this] {
        if (!m_applying) codeCountRule();
    });
    connect(m_keyCount.counter, &UpDown::positionChanged, this, [this] {
        if (!m_applying) keyCountRule();
    });
}

void TL640Form::partitionTypeRule() {
    for (const PartitionWidgets& p : m_partitions) {
        const bool fire = p.type[static_cast<std::size_t>(PartitionType::Fire)]->isChecked();
        p.krs->setEnabled(!fire);
        p.tix->setEnabled(!fire);
    }
}

void TL640Form::durationEnablingRule() {
    auto enable = [](const SecondsWidgets& field, bool on) {
        field.edit->setEnabled(on);
        field.counter->setEnabled(on);
    };
    enable(m_sounderTime, !m_sounder[1]->isChecked());
    enable(m_backlightTime, m_backlight[2]->isChecked());
    enable(m_kvSounderTime, !m_kvSounder[1]->isChecked());
    enable(m_kvBacklightTime, m_kvBacklight[2]->isChecked());
}

void TL640Form::setRowInUse(AccessRowWidgets& row, bool inUse, bool editable) {
    if (!inUse) {
        row.edit->clear();
        for (QCheckBox* box : row.boxes) box->setChecked(false);
    }
    QPalette palette = row.edit->palette();
    palette.setColor(QPalette::Base, inUse ? rowInUseColour() : rowNotInUseColour());
    row.edit->setPalette(palette);
    row.edit->setEnabled(inUse);
    row.edit->setReadOnly(!editable);
    for (QCheckBox* box : row.boxes) box->setEnabled(inUse && editable);
}

void TL640Form::codeCountRule() {
    const int count = m_codeCount.counter->position();
    for (int n = 0; n < kCodes; ++n) setRowInUse(m_codes[static_cast<std::size_t>(n)], n < count, true);
}

void TL640Form::keyCountRule() {
    const int count = m_keyCount.counter->position();
    // Variant 3 edits keys 1..64; the rest are shown as the panel holds them and carried.
    const int edited = editorVariant(m_context) == SystemVariant::Kvm4 ? kEditedKeysKvm4 : kKeys;
    for (int n = 0; n < kKeys; ++n) setRowInUse(m_keys[static_cast<std::size_t>(n)], n < count, n < edited);
    m_keyPages->setTabVisible(1, count > 32);
    m_keyPages->setTabVisible(2, count > 64);
}

void TL640Form::ownNameRule(int k) {
    const PartitionWidgets& p = m_partitions.at(static_cast<std::size_t>(k - 1));
    const bool own = p.name->currentIndex() == kOwnNameItem;
    p.ownName->setVisible(own);
    p.labelSimb->setVisible(own);
    if (!own) p.ownName->clear();
}

}  // namespace livna
