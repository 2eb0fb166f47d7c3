// The pages and controls of the setka editor. Numbered families are made in loops from the
// tables, every named control goes into the window's name index, and the long pages scroll so
// that the window fits a 1024 x 768 screen.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValidator>

#include "common/kvm_encoding.h"
#include "setka/editor/l640.h"
#include "setka/editor/l640tables.h"
#include "ui/help_links.h"

namespace livna {

using namespace setka;

namespace {

constexpr int kKeysPerPage = 32;
constexpr int kKeyLength = 12;  // hexadecimal digits of a Touch Memory key
constexpr int kBindingColumns = 8;
constexpr int kReceiverBoxHeight = 136;  // with the page spacing, the receiver tabs start at 142

QString two(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QStringList numberItems(int first, int last) {
    QStringList out;
    for (int i = first; i <= last; ++i) out << QString::number(i);
    return out;
}

template <std::size_t N>
QStringList itemsOf(const std::array<const char*, N>& items) {
    QStringList out;
    for (const char* s : items) out << QString::fromUtf8(s);
    return out;
}

/// Key fields show what is typed in upper case; which characters stay is the key rule's matter.
class UpperCase : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*position*/) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

QVBoxLayout* column(QWidget* parent) {
    auto* box = new QVBoxLayout(parent);
    box->setContentsMargins(6, 4, 6, 4);
    box->setSpacing(2);
    return box;
}

}  // namespace

TL640Form::SecondsWidgets TL640Form::makeCounter(const QString& counterName, const QString& editName,
                                                 int maximum, QWidget* parent) {
    SecondsWidgets field;
    field.edit = add(new QLineEdit(parent), editName);
    field.edit->setFixedWidth(40);
    field.counter = add(new UpDown(0, maximum, parent), counterName);
    field.edit->setText(QStringLiteral("0"));
    connect(field.counter, &UpDown::positionChanged, field.edit,
            [edit = field.edit](int position) { edit->setText(QString::number(position)); });
    return field;
}

namespace {

/// Caption, edit and up-down in one row.
QHBoxLayout* counterRow(const QString& caption, const TL640Form::SecondsWidgets& field, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    if (!caption.isEmpty()) row->addWidget(new QLabel(caption, parent));
    row->addWidget(field.edit);
    row->addWidget(field.counter);
    row->addStretch(1);
    return row;
}

}  // namespace

void TL640Form::buildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 0);
    outer->setSpacing(4);
    outer->addWidget(buildTopRow());

    m_pages = add(new QTabWidget(this), QStringLiteral("PageControl"));
    m_pages->setUsesScrollButtons(true);
    auto page = [&](QWidget* content, const char* name, const char* caption, bool scroll) {
        add(content, QString::fromLatin1(name));
        m_pages->addTab(scroll ? scrolled(content) : content, QString::fromUtf8(caption));
    };
    page(buildPartitionsPage(), "TabSheetRazdel", "Параметры разделов", true);
    page(buildCodesPage(), "TabSheetKod", "Редактирование кодов подтверждения", false);
    page(buildBindingsPage(), "TabSheetPriv", "Привязки извещателей к разделам", true);
    page(buildKeysPage(), "TabSheetKey", "Редактирование ключей ТМ", false);
    page(buildObjectsPage(), "TabSheetName", "Условные обозначения", false);
    page(buildNamesPage(), "TabSheetNameRzd", "Название разделов", true);
    page(buildSystemNumbersPage(), "TabSheetSysNum", "Системные номера РПДИ", false);
    outer->addWidget(m_pages, 1);

    m_progress = add(new QProgressBar(this), QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->hide();
    outer->addWidget(m_progress);

    m_statusBar = add(new QStatusBar(this), QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    for (std::size_t i = 0; i < m_statusPanels.size(); ++i) {
        m_statusPanels[i] = new QLabel(m_statusBar);
        m_statusBar->addWidget(m_statusPanels[i], i == 0 ? 0 : 1);
    }
    m_statusPanels[0]->setMinimumWidth(260);
    outer->addWidget(m_statusBar);
}

QWidget* TL640Form::buildTopRow() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(2);
    struct Button {
        const char* name;
        const char* caption;
        const char* hint;
        int row;  // files and help above, the link below
    };
    static constexpr std::array<Button, 8> kButtons{{
        {"SaveButton", "Записать в файл", "Записать в файл F9", 0},
        {"LoadButton", "Считать файл", "Считать файл F10", 0},
        {"DefaultButton", "Заводские установки", "Заводские установки F7", 0},
        {"BitBtn1", "Помощь", "", 0},
        {"ConnectButton", "Установить связь", "Установить связь F4", 1},
        {"CancelButton", "Разорвать связь", "Разорвать связь F5", 1},
        {"ReadButton", "Считать конфигурацию из прибора", "Считать конфигурацию из прибора (F3)", 1},
        {"WriteButton", "Записать конфигурацию в прибор", "Записать конфигурацию в прибор (F2)", 1},
    }};
    std::array<int, 2> columns{};
    for (const Button& b : kButtons) {
        auto* button = add(new QPushButton(QString::fromUtf8(b.caption), panel), QString::fromLatin1(b.name));
        button->setToolTip(QString::fromUtf8(b.hint));
        grid->addWidget(button, b.row, columns[static_cast<std::size_t>(b.row)]++);
    }
    // The link buttons stay off until the exchange takes them over.
    for (const char* name : {"ConnectButton", "ReadButton", "WriteButton"})
        m_names.get<QPushButton>(QString::fromLatin1(name))->setEnabled(false);
    auto* defaultButton = m_names.get<QPushButton>(QStringLiteral("DefaultButton"));
    defaultButton->setShortcut(Qt::Key_F7);
    // F7, F9 and F10 move no focus: the field being edited is judged first, as a click on the
    // button would.
    connect(defaultButton, &QPushButton::clicked, this, [this] {
        if (focusedFieldLeft()) DefaultButtonClick();
    });
    connect(m_names.get<QPushButton>(QStringLiteral("BitBtn1")), &QPushButton::clicked, this,
            &TL640Form::BitBtn1Click);
    auto* saveButton = m_names.get<QPushButton>(QStringLiteral("SaveButton"));
    saveButton->setShortcut(Qt::Key_F9);
    connect(saveButton, &QPushButton::clicked, this, [this] {
        if (focusedFieldLeft()) SaveButtonClick();
    });
    auto* loadButton = m_names.get<QPushButton>(QStringLiteral("LoadButton"));
    loadButton->setShortcut(Qt::Key_F10);
    connect(loadButton, &QPushButton::clicked, this, [this] {
        if (focusedFieldLeft()) LoadButtonClick();
    });

    grid->setColumnStretch(4, 1);
    grid->addWidget(add(new QLabel(panel), QStringLiteral("TypeLabel")), 0, 5);
    grid->addWidget(
        add(new QLabel(QStringLiteral("Версия ПО прибора: "), panel), QStringLiteral("VersionLabel")), 1, 5);
    // The maker's marks, which open its web site.
    for (int i : {1, 3}) {
        auto* image = add(new QLabel(QStringLiteral("Ливна-640"), panel), QStringLiteral("Image%1").arg(i));
        image->setStyleSheet(QStringLiteral("font-weight: bold; color: teal;"));
        image->setCursor(Qt::PointingHandCursor);
        image->setToolTip(QString::fromUtf8(kWebSiteAddress));
        image->installEventFilter(this);
        grid->addWidget(image, i == 1 ? 0 : 1, 6);
    }
    return panel;
}

QGroupBox* TL640Form::buildThreeWay(const char* caption, const ThreeWay& names,
                                    std::array<QRadioButton*, 3>& buttons, SecondsWidgets& time,
                                    const char* counterName, const char* editName, QWidget* parent) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
    auto* col = column(group);
    auto* exclusive = new QButtonGroup(group);
    // Shown on, third mode, off; indexed by stored value.
    for (std::size_t i : {std::size_t{0}, std::size_t{2}, std::size_t{1}}) {
        buttons[i] = add(new QRadioButton(QString::fromUtf8(names.captions[i]), group),
                         QString::fromLatin1(names.names[i]));
        exclusive->addButton(buttons[i]);
        col->addWidget(buttons[i]);
    }
    time = makeCounter(QString::fromLatin1(counterName), QString::fromLatin1(editName), kSecondsMax, group);
    col->addLayout(counterRow(QStringLiteral("Время, с:"), time, group));
    return group;
}

QGroupBox* TL640Form::buildPair(const char* caption, const std::array<NamedCaption, 2>& buttons,
                                std::array<QRadioButton*, 2>& out, QWidget* parent) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
    auto* col = column(group);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = add(new QRadioButton(QString::fromUtf8(buttons[i].name), group),
                     QString::fromLatin1(buttons[i].caption));
        col->addWidget(out[i]);
    }
    return group;
}

template <std::size_t N>
QGroupBox* TL640Form::buildReportPairs(const std::array<NamedCaption, N>& events,
                                       const std::array<NamedCaption, 2>& buttons,
                                       std::array<std::array<QRadioButton*, 2>, N>& out, QWidget* parent) {
    auto* group = new QGroupBox(QStringLiteral("Статус  извещений."), parent);
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(0);
    for (std::size_t i = 0; i < N; ++i) {
        auto* pair = new QWidget(group);
        auto* pairBox = new QHBoxLayout(pair);
        pairBox->setContentsMargins(0, 0, 0, 0);
        const QString stem = QString::fromLatin1(events[i].name);
        for (std::size_t b = 0; b < 2; ++b) {
            out[i][b] = add(new QRadioButton(QString::fromUtf8(buttons[b].name), pair),
                            stem + QString::fromLatin1(buttons[b].caption));
            pairBox->addWidget(out[i][b]);
        }
        grid->addWidget(new QLabel(QString::fromUtf8(events[i].caption), group), static_cast<int>(i), 0);
        grid->addWidget(pair, static_cast<int>(i), 1);
    }
    return group;
}

QWidget* TL640Form::buildPartitionsPage() {
    // PanelKV covers the page of the Ливна-КВ-М controls: one of the two shows.
    auto* outer = new QWidget;
    auto* outerBox = new QVBoxLayout(outer);
    outerBox->setAlignment(Qt::AlignTop);
    outerBox->setContentsMargins(0, 0, 0, 0);
    outerBox->addWidget(buildKvPanel());
    auto* page = new QWidget(outer);
    m_kvmPage = page;
    outerBox->addWidget(page);
    auto* box = new QVBoxLayout(page);
    box->setAlignment(Qt::AlignTop);

    // Passwords, delays and the external sounder.
    auto* top = new QHBoxLayout;
    auto* engineer = new QGroupBox(QStringLiteral("Пароль инж.:"), page);
    m_password = add(new MaskedField(MaskedField::Kind::Text, 4, engineer), QStringLiteral("PasswordEdit"));
    m_password->setFixedWidth(60);
    column(engineer)->addWidget(m_password);
    auto* user = add(new QGroupBox(QStringLiteral("Пароль польз.:"), page), QStringLiteral("GroupBox21"));
    m_userPassword = add(new MaskedField(MaskedField::Kind::Text, 6, user), QStringLiteral("PasswordEdit2"));
    m_userPassword->setFixedWidth(80);
    column(user)->addWidget(m_userPassword);
    auto* delays = new QGroupBox(QStringLiteral("Задержки"), page);
    auto* delayBox = column(delays);
    m_exitDelay = makeCounter(QStringLiteral("Delay"), QStringLiteral("DelayEdit"), kSecondsMax, delays);
    m_entryDelay =
        makeCounter(QStringLiteral("DelayVxod"), QStringLiteral("DelayEditVxod"), kSecondsMax, delays);
    auto* delayHead = new QHBoxLayout;
    delayHead->addWidget(new QLabel(QStringLiteral("Рзд."), delays));
    delayHead->addWidget(new QLabel(QStringLiteral("№1"), delays));
    delayHead->addStretch(1);
    delayBox->addLayout(delayHead);
    delayBox->addLayout(counterRow(QStringLiteral("Время выход:"), m_exitDelay, delays));
    delayBox->addLayout(counterRow(QStringLiteral("Время вход:"), m_entryDelay, delays));
    auto* ext = add(new QGroupBox(QStringLiteral("Внешний Звук:"), page), QStringLiteral("GroupBox36"));
    m_externalTime =
        makeCounter(QStringLiteral("TimesoundExt"), QStringLiteral("EditSoundExt"), kSecondsMax, ext);
    column(ext)->addLayout(counterRow(QString(), m_externalTime, ext));
    for (QWidget* w : {static_cast<QWidget*>(engineer), static_cast<QWidget*>(user),
                       static_cast<QWidget*>(delays), static_cast<QWidget*>(ext)})
        top->addWidget(w);
    top->addStretch(1);
    box->addLayout(top);

    // Sounder, backlight, password reset and the equipment events.
    auto* middle = new QHBoxLayout;
    middle->addWidget(add(buildThreeWay("Звук Клавиатуры:", kKvmSounder, m_sounder, m_sounderTime,
                                        "Timesound", "EditTimesound", page),
                          QStringLiteral("GroupBox7")));
    middle->addWidget(add(buildThreeWay("Подсветка ЖКИ:", kKvmBacklight, m_backlight, m_backlightTime,
                                        "TimeLCD", "EditTimeLCD", page),
                          QStringLiteral("GroupBox14")));

    auto* reset = add(buildPair("Сброс пар.инж.", {{{"разреш", "password1"}, {"запрещ.", "password2"}}},
                                m_passwordReset, page),
                      QStringLiteral("GroupBox19"));
    middle->addWidget(reset);

    auto* status =
        add(buildReportPairs(kKvmReportPairs, {{{"тревога", "tr"}, {"неиспр.", "ncp"}}}, m_kvmReports, page),
            QStringLiteral("Status_izv"));
    middle->addWidget(status);
    middle->addStretch(1);
    box->addLayout(middle);

    // Relays and the switches.
    auto* lower = new QHBoxLayout;
    auto relayGroup = [&](const char* groupName, const char* caption, const char* comboName) {
        auto* group = add(new QGroupBox(QString::fromUtf8(caption), page), QString::fromLatin1(groupName));
        auto* combo = add(new QComboBox(group), QString::fromLatin1(comboName));
        combo->addItems(itemsOf(kKvmRelayModeItems));
        column(group)->addWidget(combo);
        lower->addWidget(group);
        return combo;
    };
    m_relay1 = relayGroup("GroupBox1", "Режим работы реле №1:", "Rele1Combo");
    m_relay2 = relayGroup("GroupBox8", "Режим работы реле №2:", "Rele2Combo");
    const QStringList onOff{QStringLiteral("Вкл."), QStringLiteral("Выкл.")};
    m_kom671 = add(new RadioGroup(QStringLiteral("Опрос коммуникатора Л-671:"), onOff, 2, page),
                   QStringLiteral("kom671"));
    m_gsm = add(new RadioGroup(QStringLiteral("Опрос коммуникатора Л-672:"), onOff, 2, page),
                QStringLiteral("GSMkom"));
    m_memory = add(new RadioGroup(QStringLiteral("Память состояния разделов:"), onOff, 2, page),
                   QStringLiteral("MemRazd"));
    for (QWidget* w :
         {static_cast<QWidget*>(m_kom671), static_cast<QWidget*>(m_gsm), static_cast<QWidget*>(m_memory)})
        lower->addWidget(w);
    lower->addStretch(1);
    box->addLayout(lower);

    // The partitions: one column each, one row per option.
    auto* razdel = add(new QGroupBox(QStringLiteral("Разделы"), page), QStringLiteral("Razdel"));
    auto* grid = new QGridLayout(razdel);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(1);
    struct OptionRow {
        const char* caption;
        const char* labelName;  // the rows the layout shows or hides have a named caption
    };
    static constexpr std::array<OptionRow, 9> kRows{{
        {"пожарный", nullptr},
        {"охранный", nullptr},
        {"аварийный", "Label1520"},
        {"Автовзятие", nullptr},
        {"Тихая тревога", nullptr},
        {"Круглосуточно", nullptr},
        {"Исключ. гр. зон.", "Label1135"},
        {"Привязки реле 1", nullptr},
        {"Привязки реле2", nullptr},
    }};
    for (std::size_t r = 0; r < kRows.size(); ++r) {
        auto* label = new QLabel(QString::fromUtf8(kRows[r].caption), razdel);
        if (kRows[r].labelName != nullptr) add(label, QString::fromLatin1(kRows[r].labelName));
        grid->addWidget(label, static_cast<int>(r) + 1, 0);
    }
    for (int k = 1; k <= kPartitions; ++k) {
        PartitionWidgets& p = m_partitions[static_cast<std::size_t>(k - 1)];
        const QString n = QString::number(k);
        auto* head = new QLabel(n, razdel);
        head->setAlignment(Qt::AlignCenter);
        grid->addWidget(head, 0, k);
        p.typeGroup = new QButtonGroup(razdel);
        for (int t = 0; t < 3; ++t) {
            p.type[static_cast<std::size_t>(t)] =
                add(new QRadioButton(razdel), QStringLiteral("ds%1%2").arg(t).arg(k));
            p.typeGroup->addButton(p.type[static_cast<std::size_t>(t)], t);
            grid->addWidget(p.type[static_cast<std::size_t>(t)], t + 1, k, Qt::AlignCenter);
        }
        int row = 4;
        for (auto [member, prefix] :
             {std::pair{&PartitionWidgets::avt, "avt"}, std::pair{&PartitionWidgets::tix, "tix"},
              std::pair{&PartitionWidgets::krs, "krs"}, std::pair{&PartitionWidgets::iskl, "Iskl"},
              std::pair{&PartitionWidgets::relay1, "privrele1"},
              std::pair{&PartitionWidgets::relay2, "privrele2"}}) {
            p.*member = add(new QCheckBox(razdel), QString::fromLatin1(prefix) + n);
            grid->addWidget(p.*member, row++, k, Qt::AlignCenter);
        }
    }
    box->addWidget(razdel);
    return outer;
}

QWidget* TL640Form::buildKvPanel() {
    auto* panel = add(new QGroupBox(QStringLiteral("Ливна-КВ"), this), QStringLiteral("PanelKV"));
    auto* grid = new QGridLayout(panel);

    auto passwordGroup = [&](const char* caption, const char* note, const char* name, int positions) {
        auto* group = new QGroupBox(QString::fromUtf8(caption), panel);
        auto* field =
            add(new MaskedField(MaskedField::Kind::Text, positions, group), QString::fromLatin1(name));
        field->setFixedWidth(20 + 10 * positions);
        auto* col = column(group);
        col->addWidget(field);
        col->addWidget(new QLabel(QString::fromUtf8(note), group));
        return std::pair{group, field};
    };
    auto [engineerGroup, engineer] = passwordGroup("Пароль инженера:", "(4 цифры)", "paswrd1", 4);
    auto [adminGroup, admin] = passwordGroup("Пароль администратора:", "(от 3 до 6 цифр)", "paswrd2", 6);
    m_kvEngineer = engineer;
    m_kvAdmin = admin;
    grid->addWidget(engineerGroup, 0, 0);
    grid->addWidget(adminGroup, 0, 1);

    grid->addWidget(buildThreeWay("Внутренний звук:", kKvSounder, m_kvSounder, m_kvSounderTime, "SoundUpDown",
                                  "SoundEdit", panel),
                    0, 2);
    grid->addWidget(buildThreeWay("Подсветка ЖКИ:", kKvBacklight, m_kvBacklight, m_kvBacklightTime,
                                  "LCDUpDown", "LCDEdit", panel),
                    0, 3);
    grid->addWidget(
        buildPair("Сброс паролей:", {{{"разрешен", "ClearPaswrd1"}, {"запрещен", "ClearPaswrd2"}}},
                  m_kvPasswordReset, panel),
        1, 0);

    auto* relays = new QGroupBox(QStringLiteral("Реле и линия"), panel);
    auto* relayGrid = new QGridLayout(relays);
    m_kvRelay1 = add(new QComboBox(relays), QStringLiteral("ReleRI1"));
    m_kvRelay2 = add(new QComboBox(relays), QStringLiteral("ReleRI2"));
    m_speed = add(new QComboBox(relays), QStringLiteral("SpeedLine"));
    m_kvRelay1->addItems(itemsOf(kKvRelayModeItems));
    m_kvRelay2->addItems(itemsOf(kKvRelayModeItems));
    m_speed->addItems({QStringLiteral("1200 бод"), QStringLiteral("4800 бод")});
    relayGrid->addWidget(new QLabel(QStringLiteral("Режим работы реле №1:"), relays), 0, 0);
    relayGrid->addWidget(m_kvRelay1, 0, 1);
    relayGrid->addWidget(new QLabel(QStringLiteral("№2:"), relays), 1, 0, Qt::AlignRight);
    relayGrid->addWidget(m_kvRelay2, 1, 1);
    relayGrid->addWidget(new QLabel(QStringLiteral("Скорость по линии расширения:"), relays), 2, 0);
    relayGrid->addWidget(m_speed, 2, 1);
    grid->addWidget(relays, 1, 1, 1, 2);

    QGroupBox* status =
        buildReportPairs(kKvReportPairs, {{{"неисправность", "1"}, {"тревога", "2"}}}, m_kvReports, panel);
    grid->addWidget(status, 1, 3);
    grid->setColumnStretch(4, 1);
    return panel;
}

QWidget* TL640Form::buildAccessRows(const QString& editPrefix, const QString& boxPrefix, int first, int count,
                                    std::vector<AccessRowWidgets>& rows, bool keys) {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(1);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    for (int m = 1; m <= kPartitions; ++m) {
        auto* head = new QLabel(QString::number(m), page);
        head->setAlignment(Qt::AlignCenter);
        // The code columns' headers are hidden with the authority boxes of variant 5.
        if (!keys) add(head, QStringLiteral("Label%1").arg(m <= 8 ? 218 + m : 251 + m));
        grid->addWidget(head, 0, m + 1);
    }
    auto* upperCase = keys ? new UpperCase(page) : nullptr;
    for (int n = first; n < first + count; ++n) {
        const int row = n - first + 1;
        AccessRowWidgets w;
        grid->addWidget(new QLabel(QStringLiteral("%1.").arg(n), page), row, 0, Qt::AlignRight);
        if (keys) {
            w.edit = add(new MaskedField(MaskedField::Kind::Text, kKeyLength, page),
                         editPrefix + QString::number(n));
            w.edit->setValidator(upperCase);
            w.edit->setFixedWidth(110);
        } else {
            w.edit = add(new MaskedField(MaskedField::Kind::Text, kCodeDigitCount, page),
                         editPrefix + QString::number(n));
            w.edit->setFixedWidth(70);
        }
        grid->addWidget(w.edit, row, 1);
        for (int m = 1; m <= kPartitions; ++m) {
            auto* box = add(new QCheckBox(page), boxPrefix + two(n) + QString::number(m));
            w.boxes[static_cast<std::size_t>(m - 1)] = box;
            grid->addWidget(box, row, m + 1, Qt::AlignCenter);
        }
        rows.push_back(w);
    }
    return page;
}

QGroupBox* TL640Form::buildCountGroup(const char* caption, const char* counterName, const char* editName,
                                      int maximum, SecondsWidgets& field, QWidget* parent) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
    field = makeCounter(QString::fromLatin1(counterName), QString::fromLatin1(editName), maximum, group);
    column(group)->addLayout(counterRow(QString(), field, group));
    return group;
}

QWidget* TL640Form::buildCodesPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->addWidget(buildCountGroup("Количество Кодов:", "KOD", "NumKodEdit", kCodes, m_codeCount, page), 0,
                   Qt::AlignLeft);
    auto* ids =
        add(new QGroupBox(QStringLiteral("Коды и полномочия по разделам:"), page), QStringLiteral("IdBox"));
    m_codes.reserve(kCodes);
    column(ids)->addWidget(
        scrolled(buildAccessRows(QStringLiteral("kod"), QStringLiteral("q"), 1, kCodes, m_codes, false)));
    box->addWidget(ids, 1);
    return page;
}

QWidget* TL640Form::buildKeysPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->addWidget(buildCountGroup("Количество Ключей ТМ:", "KEY", "NumKeyEdit", kKeys, m_keyCount, page), 0,
                   Qt::AlignLeft);
    m_keyPages = new QTabWidget(page);
    m_keys.reserve(kKeys);
    static constexpr std::array<const char*, kKeys / kKeysPerPage> kPageNames{"TM0132", "TM3264", "TM6496"};
    for (int first = 1; first <= kKeys; first += kKeysPerPage) {
        QWidget* keys =
            buildAccessRows(QStringLiteral("Key"), QStringLiteral("qtm"), first, kKeysPerPage, m_keys, true);
        add(keys, QString::fromLatin1(kPageNames[static_cast<std::size_t>(first / kKeysPerPage)]));
        m_keyPages->addTab(scrolled(keys),
                           QStringLiteral("Ключ ТМ № %1 - %2").arg(first).arg(first + kKeysPerPage - 1));
    }
    box->addWidget(m_keyPages, 1);
    return page;
}

QWidget* TL640Form::buildBindingsPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(6);

    auto* bounds = add(new QGroupBox(QStringLiteral("Настройка границ привязок РПДИ по РПУ:"), page),
                       QStringLiteral("GroupBox26"));
    bounds->setFixedHeight(kReceiverBoxHeight);
    auto* boundsGrid = new QGridLayout(bounds);
    const QStringList partitions = numberItems(1, kPartitions);
    for (int r = 1; r <= kReceivers; ++r) {
        boundsGrid->addWidget(
            new QLabel(QString::fromUtf8(kReceiverCaptions[static_cast<std::size_t>(r - 1)]), bounds), 0,
            r - 1);
        auto* range = new QHBoxLayout;
        for (int side = 0; side < 2; ++side) {
            const int t = 2 * r - 1 + side;
            auto* combo = add(new QComboBox(bounds), QStringLiteral("Border%1").arg(t));
            combo->addItems(partitions);
            combo->setProperty("Tag", t);
            m_borders[static_cast<std::size_t>(t - 1)] = combo;
            range->addWidget(new QLabel(side == 0 ? QStringLiteral("с") : QStringLiteral("по"), bounds));
            range->addWidget(combo);
        }
        range->addStretch(1);
        boundsGrid->addLayout(range, 1, r - 1);
    }
    box->addWidget(bounds);

    auto* receivers = add(new QTabWidget(page), QStringLiteral("PageControlRPU"));
    for (int r = 1; r <= kReceivers; ++r) {
        auto* tab = new QWidget;
        add(tab, QStringLiteral("RPU%1").arg(r));
        auto* tabBox = new QVBoxLayout(tab);
        auto* group = new QGroupBox(QStringLiteral("Привязки извещателей РПУ Ливна КВМ №%1").arg(r), tab);
        if (r == 1) add(group, QStringLiteral("GroupBoxPriv"));
        auto* grid = new QGridLayout(group);
        grid->setVerticalSpacing(2);
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
            const int row = (d - 1) / kBindingColumns;
            const int col = (d - 1) % kBindingColumns;
            auto* field = add(new MaskedField(MaskedField::Kind::Text, 2, group),
                              QStringLiteral("RPD%1%2").arg(r).arg(d));
            field->setText(QStringLiteral("0 "));
            field->setFixedWidth(30);
            m_bindings[static_cast<std::size_t>(kDetectorsPerReceiver * (r - 1) + d - 1)] = field;
            grid->addWidget(new QLabel(QStringLiteral("РПДИ %1").arg(d), group), row, 2 * col,
                            Qt::AlignRight);
            grid->addWidget(field, row, 2 * col + 1);
        }
        tabBox->addWidget(group);
        tabBox->addStretch(1);
        receivers->addTab(tab, QString::fromUtf8(kReceiverCaptions[static_cast<std::size_t>(r - 1)]));
    }
    box->addWidget(receivers);
    box->addStretch(1);
    return page;
}

QWidget* TL640Form::buildSystemNumbersPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    auto* tabs = new QTabWidget(page);
    for (int r = 1; r <= kReceivers; ++r) {
        auto* tab = new QWidget;
        add(tab, QStringLiteral("TabSheet%1").arg(r + 2));
        auto* grid = new QGridLayout(tab);
        grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        grid->setVerticalSpacing(2);
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
            const int row = (d - 1) / kBindingColumns;
            const int col = (d - 1) % kBindingColumns;
            const int tag = kDetectorsPerReceiver * (r - 1) + d;
            auto* field = add(new MaskedField(MaskedField::Kind::Text, 3, tab),
                              QStringLiteral("RPDI%1%2").arg(r).arg(d));
            field->setText(QStringLiteral("0  "));
            field->setFixedWidth(38);
            field->setProperty("Tag", tag);
            m_systemNumbers[static_cast<std::size_t>(tag - 1)] = field;
            grid->addWidget(new QLabel(QStringLiteral("РПДИ %1").arg(d), tab), row, 2 * col, Qt::AlignRight);
            grid->addWidget(field, row, 2 * col + 1);
        }
        tabs->addTab(scrolled(tab), QString::fromUtf8(kReceiverCaptions[static_cast<std::size_t>(r - 1)]));
    }
    box->addWidget(tabs);
    return page;
}

QWidget* TL640Form::buildObjectReceiverPage(int r) {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    grid->setVerticalSpacing(1);
    for (int s = 1; s <= kLoopsPerRpd; ++s) {
        auto* head = new QLabel(QStringLiteral("ШС%1").arg(s), page);
        head->setAlignment(Qt::AlignCenter);
        grid->addWidget(head, 0, s);
    }
    const QString suffix = r == 1 ? QString() : QStringLiteral("R%1").arg(r);
    for (int p = 1; p <= kRpdsPerReceiver; ++p) {
        grid->addWidget(new QLabel(QStringLiteral("РПД %1:").arg(p), page), p, 0);
        for (int s = 1; s <= kLoopsPerRpd; ++s) {
            const int tag = kRpdsPerReceiver * kLoopsPerRpd * (r - 1) + kLoopsPerRpd * (p - 1) + (s - 1);
            auto* field = add(new MaskedField(MaskedField::Kind::Text, 3, page),
                              QStringLiteral("Object%1%2").arg(s).arg(p) + suffix);
            field->setText(QStringLiteral("0 "));
            field->setFixedWidth(38);
            field->setProperty("Tag", tag);
            m_objects[static_cast<std::size_t>(tag)] = field;
            grid->addWidget(field, p, s);
        }
        const QString buttonName =
            r == 1 ? QStringLiteral("ButtonRPD%1").arg(p) : QStringLiteral("ButtonRPY%1RPD%2").arg(r).arg(p);
        grid->addWidget(add(new QPushButton(QStringLiteral("Сброс"), page), buttonName), p, kLoopsPerRpd + 1);
    }
    grid->setColumnStretch(kLoopsPerRpd + 2, 1);
    return page;
}

QWidget* TL640Form::buildObjectsPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    auto* tabs = new QTabWidget(page);
    for (int r = 1; r <= kReceivers; ++r) {
        QWidget* tab = add(buildObjectReceiverPage(r), QStringLiteral("TabSheet_KV_RPY%1").arg(r));
        tabs->addTab(scrolled(tab), QString::fromUtf8(kReceiverCaptions[static_cast<std::size_t>(r - 1)]));
    }
    box->addWidget(tabs, 1);
    auto* reset = add(new QPushButton(QStringLiteral("Общий сброс"), page), QStringLiteral("BitBtn2"));
    reset->setToolTip(QStringLiteral("Обнуление всех объектов."));
    box->addWidget(reset, 0, Qt::AlignLeft);
    return page;
}

QWidget* TL640Form::buildNamesPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    QStringList items;
    for (const std::string& name : builtInPartitionNames())
        items << QString::fromStdString(name);  // 56 is the own name
    for (int k = 1; k <= kPartitions; ++k) {
        PartitionWidgets& p = m_partitions[static_cast<std::size_t>(k - 1)];
        grid->addWidget(new QLabel(QStringLiteral("Раздел %1").arg(k), page), k - 1, 0);
        p.name = add(new QComboBox(page), QStringLiteral("NameRzd%1").arg(k));
        p.name->addItems(items);
        p.name->setProperty("Tag", k);
        p.ownName = add(new QLineEdit(page), QStringLiteral("OwnName%1").arg(k));
        p.ownName->setProperty("Tag", k);
        p.ownName->setFixedWidth(100);
        p.labelSimb =
            add(new QLabel(QStringLiteral("(макс.8 симв. )"), page), QStringLiteral("LabelSimb%1").arg(k));
        p.labelSimb->setProperty("Tag", k);
        grid->addWidget(p.name, k - 1, 1);
        grid->addWidget(p.ownName, k - 1, 2);
        grid->addWidget(p.labelSimb, k - 1, 3);
    }
    return page;
}

}  // namespace livna
