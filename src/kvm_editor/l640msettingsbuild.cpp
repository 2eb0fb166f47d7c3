// The tabs and controls of the Ливна-КВ-М editor. Numbered families are made in loops from the
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
#include <QStringListModel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/file_names.h"
#include "common/kvm_encoding.h"
#include "kvm_editor/l640msettingsunit.h"

namespace livna {

using namespace kvm;

namespace {

QStringList toQStringList(const std::vector<std::string>& items) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& s : items) out << QString::fromStdString(s);
    return out;
}

QStringList numberItems(int first, int last) {
    QStringList out;
    for (int i = first; i <= last; ++i) out << QString::number(i);
    return out;
}

QLabel* headerLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

TL640MSettingsForm::SecondsField TL640MSettingsForm::makeSecondsField(const QString& counterName,
                                                                      const QString& editName,
                                                                      const char* caption, QWidget* parent) {
    SecondsField field;
    field.caption = caption;
    field.edit = add(new QLineEdit(parent), editName);
    field.edit->setFixedWidth(44);
    field.counter = add(new UpDown(0, kUpDownMax, parent), counterName);
    return field;
}

namespace {

/// Caption, edit and counter of a seconds or count field in one row of a grid.
void placeCounter(QGridLayout* grid, int row, const QString& caption, QLineEdit* edit, UpDown* counter,
                  QWidget* parent) {
    grid->addWidget(new QLabel(caption, parent), row, 0);
    auto* box = new QHBoxLayout;
    box->setSpacing(1);
    box->addWidget(edit);
    box->addWidget(counter);
    box->addStretch(1);
    grid->addLayout(box, row, 1);
}

}  // namespace

void TL640MSettingsForm::buildControls() {
    // Many combo boxes show the same long lists; one model for all of them keeps creation fast.
    m_halfSecondModel = new QStringListModel(toQStringList(halfSecondItems()), this);
    m_fiveSecondModel = new QStringListModel(toQStringList(fiveSecondItems()), this);
    m_nameModel = new QStringListModel(toQStringList(builtInPartitionNames()), this);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 2);
    outer->setSpacing(4);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    m_tabs->setUsesScrollButtons(true);
    m_tabs->addTab(scrolled(buildMainPage()), QStringLiteral("Главная"));
    m_partitionsPage = buildPartitionsPage();
    m_tabs->addTab(scrolled(m_partitionsPage), QStringLiteral("Параметры разделов"));
    m_codesPage = buildCodesPage();
    m_tabs->addTab(m_codesPage, QStringLiteral("Редактирование кодов"));
    m_keysPage = buildKeysPage();
    m_tabs->addTab(m_keysPage, QStringLiteral("Редактирование ключей ТМ"));
    m_bindingsPage = buildBindingsPage();
    m_tabs->addTab(m_bindingsPage, QStringLiteral("Привязки извещателей к разделам"));
    m_tabs->addTab(buildOutputsPage(), QStringLiteral("Выходы"));

    QWidget* voice = add(buildVoicePage(), QStringLiteral("TabSheet2"));
    const int voiceTab = m_tabs->addTab(scrolled(voice), QStringLiteral("Голосовой модуль"));
    m_tabs->setTabVisible(voiceTab, false);

    auto* sysNum = new QWidget;
    add(sysNum, QStringLiteral("TabSheetSysNum"));
    auto* sysTabs = new QTabWidget(sysNum);
    auto* sysBox = new QVBoxLayout(sysNum);
    sysBox->addWidget(sysTabs);
    for (int r = 1; r <= kReceivers; ++r) {
        const int first = kDetectorsPerReceiver * (r - 1) + 5;
        sysTabs->addTab(buildBindingPage(r, true),
                        QStringLiteral("РПДИ %1-%2").arg(first).arg(first + kDetectorsPerReceiver - 1));
    }
    const int sysTab = m_tabs->addTab(sysNum, QStringLiteral("Системные номера РПДИ"));
    m_tabs->setTabVisible(sysTab, false);

    outer->addWidget(m_tabs, 1);
    outer->addWidget(buildExchangeRow());
    createBars(QStringLiteral("MainStatusBar"), QStringLiteral("MainProgressBar"));
    auto* bars = new QHBoxLayout;
    bars->addWidget(statusBar(), 3);
    bars->addWidget(progressBar(), 1);
    outer->addLayout(bars);
}

QWidget* TL640MSettingsForm::buildMainPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    // Passwords.
    auto* engineer = new QGroupBox(QStringLiteral("Пароль инженера"), page);
    m_password = add(new MaskedField(MaskedField::Kind::Text, 4, engineer), QStringLiteral("PasswordEdit"));
    m_password->setFixedWidth(70);
    (new QVBoxLayout(engineer))->addWidget(m_password);
    auto* user = new QGroupBox(QStringLiteral("Пароль пользователя"), page);
    m_userPassword = add(new MaskedField(MaskedField::Kind::Text, 6, user), QStringLiteral("PasswordEdit2"));
    m_userPassword->setFixedWidth(90);
    (new QVBoxLayout(user))->addWidget(m_userPassword);
    m_confirmPassword = add(new RadioGroup(QStringLiteral("Сброс пароля инженера"),
                                           {QStringLiteral("Разрешен"), QStringLiteral("Запрещен")}, 2, page),
                            QStringLiteral("ConfirmPaswrd"));
    grid->addWidget(engineer, 0, 0);
    grid->addWidget(user, 0, 1);
    grid->addWidget(m_confirmPassword, 0, 2);

    // Delays of partitions 1 and 2: seconds fields 0, 2 (exit) and 1, 3 (entry), image order.
    struct DelayField {
        std::size_t slot;
        const char* counterName;
        const char* editName;
        const char* fieldCaption;
    };
    auto delayGroup = [&](const char* caption, const std::array<DelayField, 2>& fields) {
        auto* group = new QGroupBox(QString::fromUtf8(caption), page);
        auto* g = new QGridLayout(group);
        for (int row = 0; row < 2; ++row) {
            const DelayField& f = fields[static_cast<std::size_t>(row)];
            SecondsField& field = m_seconds[f.slot];
            field = makeSecondsField(QString::fromLatin1(f.counterName), QString::fromLatin1(f.editName),
                                     f.fieldCaption, group);
            placeCounter(g, row, QStringLiteral("№%1, с:").arg(row + 1), field.edit, field.counter, group);
        }
        return group;
    };
    grid->addWidget(delayGroup("Время на выход:", {{{0, "Delay", "DelayEdit", "Время на выход (№1)"},
                                                    {2, "Delay2", "DelayEdit2", "Время на выход (№2)"}}}),
                    1, 0);
    grid->addWidget(
        delayGroup("Время на вход:", {{{1, "DelayVxod", "DelayEditVxod", "Время на вход (№1)"},
                                       {3, "DelayVxod2", "DelayEditVxod2", "Время на вход (№2)"}}}),
        1, 1);

    // External sounder.
    auto* extGroup = new QGroupBox(QStringLiteral("Внешний звук:"), page);
    auto* extGrid = new QGridLayout(extGroup);
    m_seconds[4] = makeSecondsField(QStringLiteral("TimesoundExt"), QStringLiteral("EditSoundExt"),
                                    "Длительность внешнего звука", extGroup);
    placeCounter(extGrid, 0, QStringLiteral("Длительность, с:"), m_seconds[4].edit, m_seconds[4].counter,
                 extGroup);
    grid->addWidget(extGroup, 1, 2);

    // Internal sounder and display backlight: three radio buttons each, indexed by stored value
    // (0 = on, 1 = off, 2 = the third mode) but shown on, third, off; and the duration.
    struct ThreeWay {
        const char* caption;
        std::array<const char*, 3> names;
        std::array<const char*, 3> captions;
        const char* counterName;
        const char* editName;
        const char* fieldCaption;
    };
    auto threeWay = [&](const ThreeWay& t, std::array<QRadioButton*, 3>& buttons, SecondsField& field) {
        auto* group = new QGroupBox(QString::fromUtf8(t.caption), page);
        auto* g = new QGridLayout(group);
        for (std::size_t i = 0; i < 3; ++i)
            buttons[i] = add(new QRadioButton(QString::fromUtf8(t.captions[i]), group),
                             QString::fromLatin1(t.names[i]));
        g->addWidget(buttons[0], 0, 0, 1, 2);
        g->addWidget(buttons[2], 1, 0, 1, 2);
        g->addWidget(buttons[1], 2, 0, 1, 2);
        field = makeSecondsField(QString::fromLatin1(t.counterName), QString::fromLatin1(t.editName),
                                 t.fieldCaption, group);
        placeCounter(g, 3, QStringLiteral("Длительность, с:"), field.edit, field.counter, group);
        return group;
    };
    QGroupBox* soundGroup = threeWay({"Режим внутреннего звука:",
                                      {"Keysound1", "Keysound3", "keysound2"},
                                      {"Включен", "Выключен", "Только тревога"},
                                      "Timesound",
                                      "EditTimesound",
                                      "Длительность внутреннего звука"},
                                     m_sounder, m_seconds[5]);
    QGroupBox* lcdGroup = threeWay({"Подсветка ЖКИ:",
                                    {"LCD_key1", "LCD_key3", "LCD_key2"},
                                    {"Включена", "Выключена", "Автомат."},
                                    "TimeLCD",
                                    "EditTimeLCD",
                                    "Длительность подсветки ЖКИ"},
                                   m_backlight, m_seconds[6]);
    grid->addWidget(soundGroup, 2, 0);
    grid->addWidget(lcdGroup, 2, 1);

    // Communicators.
    auto* comms = new QWidget(page);
    auto* commsBox = new QVBoxLayout(comms);
    commsBox->setContentsMargins(0, 0, 0, 0);
    const QStringList onOff{QStringLiteral("Вкл."), QStringLiteral("Выкл.")};
    m_gsm = add(new RadioGroup(QStringLiteral("Опрос GSM коммуникатора:"), onOff, 2, comms),
                QStringLiteral("GSMkom"));
    m_phone = add(new RadioGroup(QStringLiteral("Опрос телефонного коммуникатора:"), onOff, 2, comms),
                  QStringLiteral("kom671"));
    commsBox->addWidget(m_gsm);
    commsBox->addWidget(m_phone);
    grid->addWidget(comms, 2, 2);

    // How equipment events are reported: one alarm/trouble pair per event.
    auto* reports = new QGroupBox(QStringLiteral("Извещения о событиях оборудования:"), page);
    auto* reportGrid = new QGridLayout(reports);
    reportGrid->addWidget(headerLabel(QStringLiteral("Тревога"), reports), 0, 1);
    reportGrid->addWidget(headerLabel(QStringLiteral("Неисправность"), reports), 0, 2);
    for (int i = 0; i < 5; ++i) {
        const ReportPair& info = kReportPairs[static_cast<std::size_t>(i)];
        reportGrid->addWidget(new QLabel(QString::fromUtf8(info.caption), reports), i + 1, 0);
        auto& pair = m_reports[static_cast<std::size_t>(i)];
        pair.yes = add(new QRadioButton(reports), QString::fromLatin1(info.alarmName));
        pair.no = add(new QRadioButton(reports), QString::fromLatin1(info.troubleName));
        auto* group = new QButtonGroup(reports);
        group->addButton(pair.yes);
        group->addButton(pair.no);
        reportGrid->addWidget(pair.yes, i + 1, 1, Qt::AlignCenter);
        reportGrid->addWidget(pair.no, i + 1, 2, Qt::AlignCenter);
    }
    grid->addWidget(reports, 3, 0, 1, 2);

    // Values the panel keeps that this editor carries without showing them.
    auto* borders = new QGroupBox(QStringLiteral("Назначение разделов по РПУ:"), page);
    borders->setObjectName(QStringLiteral("BorderGroupBox"));
    auto* borderGrid = new QGridLayout(borders);
    const QStringList partitionNumbers = numberItems(1, kPartitionCount);
    for (int i = 0; i < 8; ++i) {
        auto* combo = add(new QComboBox(borders), QStringLiteral("Border%1").arg(i + 1));
        combo->addItems(partitionNumbers);
        m_borders[static_cast<std::size_t>(i)] = combo;
        borderGrid->addWidget(combo, i / 2, i % 2);
    }
    borders->setVisible(false);
    grid->addWidget(borders, 4, 0);

    auto* loops = new QGroupBox(QStringLiteral("Привязки ШС к разделам и тип ШС:"), page);
    loops->setObjectName(QStringLiteral("ShSGroupBox"));
    auto* loopGrid = new QGridLayout(loops);
    for (int s = 0; s < 2; ++s) {
        const QString n = QString::number(s + 1);
        m_loopPartitions[static_cast<std::size_t>(s)] =
            add(new MaskedField(MaskedField::Kind::Text, 2, loops), QStringLiteral("PrivShS") + n);
        auto* type = add(new QComboBox(loops), QStringLiteral("typeShS") + n);
        type->addItems({QStringLiteral("охранный"), QStringLiteral("пожарный")});
        m_loopTypes[static_cast<std::size_t>(s)] = type;
        m_doubleTriggers[static_cast<std::size_t>(s)] =
            add(new QCheckBox(QStringLiteral("Двойное срабатывание"), loops), QStringLiteral("DblSh") + n);
        loopGrid->addWidget(new QLabel(QStringLiteral("ШС") + n, loops), s, 0);
        loopGrid->addWidget(m_loopPartitions[static_cast<std::size_t>(s)], s, 1);
        loopGrid->addWidget(type, s, 2);
        loopGrid->addWidget(m_doubleTriggers[static_cast<std::size_t>(s)], s, 3);
    }
    loops->setVisible(false);
    grid->addWidget(loops, 4, 1);
    return page;
}

QWidget* TL640MSettingsForm::buildPartitionsPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    grid->setVerticalSpacing(2);
    const QStringList headers{QStringLiteral("№"),
                              QStringLiteral("Название раздела"),
                              QString(),
                              QString(),
                              QStringLiteral("пожарный"),
                              QStringLiteral("охранный"),
                              QStringLiteral("аварийный"),
                              QStringLiteral("Автовзятие"),
                              QStringLiteral("Тихая\nтревога"),
                              QStringLiteral("Кругло-\nсуточно"),
                              QStringLiteral("Разреш. исключ.\nнеготовых\nРПДИ")};
    for (int c = 0; c < headers.size(); ++c) grid->addWidget(headerLabel(headers[c], page), 0, c);

    m_partitions.resize(kPartitionCount);
    for (int k = 1; k <= kPartitionCount; ++k) {
        const QString n = QString::number(k);
        PartitionRow& row = m_partitions[static_cast<std::size_t>(k - 1)];
        grid->addWidget(headerLabel(n, page), k, 0);
        row.name = add(new QComboBox(page), QStringLiteral("NameRzd") + n);
        row.name->setModel(m_nameModel);
        row.name->setMinimumContentsLength(21);  // "пользовательское название" in full
        row.name->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        row.ownName = add(new QLineEdit(page), QStringLiteral("OwnName") + n);
        row.ownName->setMaxLength(static_cast<int>(kNameLength));
        row.ownName->setFixedWidth(90);
        row.labelSimb =
            add(new QLabel(QStringLiteral("(макс.8 симв. )"), page), QStringLiteral("LabelSimb") + n);
        row.ownName->setVisible(false);
        row.labelSimb->setVisible(false);
        row.fire = add(new QRadioButton(page), QStringLiteral("ds0") + n);
        row.security = add(new QRadioButton(page), QStringLiteral("ds1") + n);
        row.emergency = add(new QRadioButton(page), QStringLiteral("ds2") + n);
        row.type = new QButtonGroup(page);
        row.type->addButton(row.fire, 0);
        row.type->addButton(row.security, 1);
        row.type->addButton(row.emergency, 2);
        for (QRadioButton* b : {row.fire, row.security, row.emergency}) b->setProperty("tag", k);
        row.avt = add(new QCheckBox(page), QStringLiteral("avt") + n);
        row.tix = add(new QCheckBox(page), QStringLiteral("tix") + n);
        row.krs = add(new QCheckBox(page), QStringLiteral("krs") + n);
        row.iskl = add(new QCheckBox(page), QStringLiteral("Iskl") + n);
        grid->addWidget(row.name, k, 1);
        grid->addWidget(row.ownName, k, 2);
        grid->addWidget(row.labelSimb, k, 3);
        int column = 4;
        for (QWidget* w : std::initializer_list<QWidget*>{row.fire, row.security, row.emergency, row.avt,
                                                          row.tix, row.krs, row.iskl})
            grid->addWidget(w, k, column++, Qt::AlignCenter);
    }
    grid->setColumnMinimumWidth(2, 90);
    grid->setColumnMinimumWidth(3, 90);
    return page;
}

QWidget* TL640MSettingsForm::buildAccessRows(const QString& editPrefix, const QString& boxPrefix, int first,
                                             int count, int positions, std::vector<AccessRow>& rows) {
    auto* content = new QWidget;
    auto* grid = new QGridLayout(content);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    grid->setVerticalSpacing(1);
    grid->setHorizontalSpacing(4);
    grid->addWidget(headerLabel(QStringLiteral("Разделы:"), content), 0, 2, 1, kPartitionCount);
    for (int p = 1; p <= kPartitionCount; ++p)
        grid->addWidget(headerLabel(QString::number(p), content), 1, p + 1);
    for (int i = first; i < first + count; ++i) {
        const int r = i - first + 2;
        AccessRow& row = rows[static_cast<std::size_t>(i - 1)];
        grid->addWidget(new QLabel(QString::number(i), content), r, 0);
        row.edit = add(new MaskedField(MaskedField::Kind::Text, positions, content),
                       editPrefix + QString::number(i));
        row.edit->setFixedWidth(positions * 10 + 14);
        grid->addWidget(row.edit, r, 1);
        // "01".."96": the two-digit number in the names of the code and key partition boxes.
        const QString number = QString::fromStdString(twoDigits(i));
        for (int p = 1; p <= kPartitionCount; ++p) {
            auto* box = add(new QCheckBox(content), boxPrefix + number + QString::number(p));
            row.partitions[static_cast<std::size_t>(p - 1)] = box;
            grid->addWidget(box, r, p + 1, Qt::AlignCenter);
        }
    }
    return scrolled(content);
}

QGroupBox* TL640MSettingsForm::buildCountGroup(const char* caption, const char* label, const char* editName,
                                               const char* counterName, int maximum, SecondsField& field,
                                               QWidget* parent) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
    auto* grid = new QGridLayout(group);
    field.caption = caption;
    field.edit = add(new QLineEdit(group), QString::fromLatin1(editName));
    field.edit->setFixedWidth(44);
    field.counter = add(new UpDown(0, maximum, group), QString::fromLatin1(counterName));
    placeCounter(grid, 0, QString::fromUtf8(label), field.edit, field.counter, group);
    return group;
}

QWidget* TL640MSettingsForm::buildCodesPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    m_violence =
        add(new RadioGroup(QStringLiteral("Коды снятия под принуждением:"),
                           {QStringLiteral("Не используются"), QStringLiteral("Используются")}, 2, page),
            QStringLiteral("ViolenceCode"));
    top->addWidget(m_violence);
    top->addWidget(buildCountGroup("Количество кодов", "Кодов в работе:", "NumKodEdit", "KOD", kCodes,
                                   m_codeCount, page));
    top->addStretch(1);
    box->addLayout(top);
    m_codes.resize(kCodes);
    box->addWidget(buildAccessRows(QStringLiteral("kod"), QStringLiteral("q"), 1, kCodes, 6, m_codes), 1);
    return page;
}

QWidget* TL640MSettingsForm::buildKeysPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    top->addWidget(buildCountGroup("Количество ключей ТМ", "Ключей в работе:", "NumKeyEdit", "KEY", kKeys,
                                   m_keyCount, page));
    top->addStretch(1);
    box->addLayout(top);
    m_keys.resize(kKeys);
    m_keyTabs = new QTabWidget(page);
    m_keyTabs->setObjectName(QStringLiteral("KeyPageControl"));
    for (int first = 1; first <= kKeys; first += kKeysPerPage)
        m_keyTabs->addTab(buildKeyPage(first),
                          QStringLiteral("Ключ ТМ № %1 - %2").arg(first).arg(first + kKeysPerPage - 1));
    box->addWidget(m_keyTabs, 1);
    return page;
}

QWidget* TL640MSettingsForm::buildKeyPage(int firstKey) {
    QWidget* page = buildAccessRows(QStringLiteral("Key"), QStringLiteral("qtm"), firstKey, kKeysPerPage,
                                    static_cast<int>(kKeyTextLength), m_keys);
    for (int k = firstKey; k < firstKey + kKeysPerPage; ++k) {
        MaskedField* edit = m_keys[static_cast<std::size_t>(k - 1)].edit;
        edit->setFixedWidth(120);
        // Keys are hexadecimal digits, shown in upper case as the panel's reader prints them.
        connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
            const QString upper = text.toUpper();
            if (upper != text) {
                const int cursor = edit->cursorPosition();
                edit->setText(upper);
                edit->setCursorPosition(cursor);
            }
        });
    }
    return page;
}

QWidget* TL640MSettingsForm::buildBindingsPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    m_bindingTabs = new QTabWidget(page);
    m_bindingTabs->setObjectName(QStringLiteral("RPDPageControl"));
    for (int r = 1; r <= kReceivers; ++r) {
        const int first = kDetectorsPerReceiver * (r - 1) + 5;
        m_bindingTabs->addTab(buildBindingPage(r, false),
                              QStringLiteral("РПДИ %1-%2").arg(first).arg(first + kDetectorsPerReceiver - 1));
    }
    box->addWidget(m_bindingTabs);
    return page;
}

QWidget* TL640MSettingsForm::buildBindingPage(int receiver, bool systemNumbers) {
    constexpr int kColumns = 6;
    constexpr int kRowsPerColumn = kDetectorsPerReceiver / kColumns;
    auto* content = new QWidget;
    auto* grid = new QGridLayout(content);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    grid->setVerticalSpacing(3);
    grid->setHorizontalSpacing(6);
    const QString prefix = systemNumbers ? QStringLiteral("RPDI") : QStringLiteral("RPD");
    auto& fields = systemNumbers ? m_systemNumbers : m_bindings;
    for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
        const int n = kDetectorsPerReceiver * (receiver - 1) + d + 4;
        const int row = (d - 1) % kRowsPerColumn;
        const int column = 2 * ((d - 1) / kRowsPerColumn);
        grid->addWidget(new QLabel(QStringLiteral("РПДИ %1").arg(n), content), row, column);
        auto* field = add(new MaskedField(MaskedField::Kind::Text, systemNumbers ? 3 : 2, content),
                          prefix + QString::number(receiver) + QString::number(d));
        field->setFixedWidth(40);
        fields[static_cast<std::size_t>(receiver - 1)][static_cast<std::size_t>(d - 1)] = field;
        grid->addWidget(field, row, column + 1);
    }
    grid->setColumnStretch(2 * kColumns, 1);
    if (!systemNumbers) {
        auto* hint = new QLabel(
            QStringLiteral("Номер раздела от 1 до 16 (0 в считанных настройках - извещатель не привязан)"),
            content);
        grid->addWidget(hint, kRowsPerColumn, 0, 1, 2 * kColumns);
    }
    return scrolled(content);
}

QWidget* TL640MSettingsForm::buildOutputsPage() {
    m_outputTabs = new QTabWidget;
    m_outputTabs->setObjectName(QStringLiteral("OutputPageControl"));
    m_outputs.resize(kOutputCount);
    for (int n = 1; n <= kOutputCount; ++n) {
        QWidget* page = buildOutputPage(n);
        const int tab = m_outputTabs->addTab(
            scrolled(page), QString::fromUtf8(kOutputInfo[static_cast<std::size_t>(n - 1)].tabCaption));
        if (n == 3) {
            add(page, QStringLiteral("TabSheet11"));
            m_outputTabs->setTabVisible(tab, false);
        }
    }
    return m_outputTabs;
}

QWidget* TL640MSettingsForm::buildOutputPage(int n) {
    const QString suffix = QString::number(n);
    OutputGroup& out = m_outputs[static_cast<std::size_t>(n - 1)];
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    QStringList modes;
    for (const auto& caption : relayModeCaptions()) modes << QString::fromStdString(caption);
    out.workMode = add(new RadioGroup(QStringLiteral("Режим работы:"), modes, 1, page),
                       QStringLiteral("ReleWorkMode") + suffix);
    grid->addWidget(out.workMode, 0, 0, 2, 1);

    auto* controlGroup = new QGroupBox(QStringLiteral("Управление:"), page);
    out.control = add(new QComboBox(controlGroup), QStringLiteral("ReleControl") + suffix);
    out.control->addItem(QStringLiteral("по событию"));
    (new QVBoxLayout(controlGroup))->addWidget(out.control);
    grid->addWidget(controlGroup, 2, 0);

    auto* partitions = new QGroupBox(QStringLiteral("Разделы:"), page);
    auto* partGrid = new QGridLayout(partitions);
    const QString partPrefix =
        QString::fromLatin1(kOutputInfo[static_cast<std::size_t>(n - 1)].partitionPrefix);
    for (int p = 1; p <= kPartitionCount; ++p) {
        auto* box = add(new QCheckBox(QString::number(p), partitions), partPrefix + QString::number(p));
        out.partitions[static_cast<std::size_t>(p - 1)] = box;
        partGrid->addWidget(box, (p - 1) / 8, (p - 1) % 8);
    }
    grid->addWidget(partitions, 0, 1);

    auto* events = new QGroupBox(QStringLiteral("События:"), page);
    auto* eventGrid = new QGridLayout(events);
    eventGrid->setVerticalSpacing(2);
    for (int e = 0; e < kOutputEvents; ++e) {
        const NamedCaption& info = kOutputEventInfo[static_cast<std::size_t>(e)];
        auto* box = add(new QCheckBox(QString::fromUtf8(info.caption), events),
                        QString::fromLatin1(info.name) + suffix);
        out.events[static_cast<std::size_t>(e)] = box;
        eventGrid->addWidget(box, e % 6, e / 6);
    }
    grid->addWidget(events, 1, 1, 2, 1);

    auto* times = new QGroupBox(QStringLiteral("Параметры срабатывания:"), page);
    auto* timeGrid = new QGridLayout(times);
    auto makeCombo = [&](const QString& name, QStringListModel* model) {
        auto* combo = add(new QComboBox(times), name + suffix);
        combo->setModel(model);
        combo->setMaxVisibleItems(16);
        return combo;
    };
    out.close = makeCombo(QStringLiteral("TimeZmk"), m_halfSecondModel);
    out.open = makeCombo(QStringLiteral("TimeRzmk"), m_halfSecondModel);
    out.duration = makeCombo(QStringLiteral("TimePeriod"), m_fiveSecondModel);
    out.inverse = add(new QComboBox(times), QStringLiteral("InvRele") + suffix);
    out.inverse->addItems({QStringLiteral("Нет "), QStringLiteral("Да")});
    const std::array<std::pair<const char*, QComboBox*>, 4> rows{{{"Замыкание на время", out.close},
                                                                  {"Размыкание на время", out.open},
                                                                  {"Длительность извещения ", out.duration},
                                                                  {"Инверсный режим", out.inverse}}};
    for (int i = 0; i < 4; ++i) {
        timeGrid->addWidget(new QLabel(QString::fromUtf8(rows[static_cast<std::size_t>(i)].first), times), i,
                            0);
        timeGrid->addWidget(rows[static_cast<std::size_t>(i)].second, i, 1);
    }
    grid->addWidget(times, 3, 0, 1, 2);
    return page;
}

QWidget* TL640MSettingsForm::buildVoicePage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    const QStringList offOn{QStringLiteral("Выключен"), QStringLiteral("Включен")};
    const QStringList offOnReminder{QStringLiteral("Выключено"), QStringLiteral("Включено")};
    m_voiceModule = add(new RadioGroup(QStringLiteral("Голосовой модуль:"), offOn, 2, page),
                        QStringLiteral("VoiceModule"));
    grid->addWidget(m_voiceModule, 0, 0);

    auto pairRows = [this](QGroupBox* group, const auto& table, auto& pairs) {
        auto* g = new QGridLayout(group);
        g->setVerticalSpacing(1);
        g->addWidget(headerLabel(QStringLiteral("ДА"), group), 0, 1);
        g->addWidget(headerLabel(QStringLiteral("НЕТ"), group), 0, 2);
        for (std::size_t i = 0; i < table.size(); ++i) {
            const QString stem = QString::fromLatin1(table[i].name);
            g->addWidget(new QLabel(QString::fromUtf8(table[i].caption), group), static_cast<int>(i) + 1, 0);
            pairs[i].yes = add(new QRadioButton(group), stem + u'Y');
            pairs[i].no = add(new QRadioButton(group), stem + u'N');
            auto* buttons = new QButtonGroup(group);
            buttons->addButton(pairs[i].yes);
            buttons->addButton(pairs[i].no);
            g->addWidget(pairs[i].yes, static_cast<int>(i) + 1, 1, Qt::AlignCenter);
            g->addWidget(pairs[i].no, static_cast<int>(i) + 1, 2, Qt::AlignCenter);
        }
    };
    auto* play = new QGroupBox(QStringLiteral("Воспроизведение сообщений:"), page);
    play->setObjectName(QStringLiteral("VoicePlayGroupBox"));
    pairRows(play, kVoiceMessages, m_voiceMessages);
    m_voicePlayGroup = play;
    grid->addWidget(play, 1, 0, 3, 1);

    auto* remind = new QGroupBox(QStringLiteral("Напоминание сообщений:"), page);
    remind->setObjectName(QStringLiteral("VoiceRemindGroupBox"));
    pairRows(remind, kRemindedTroubles, m_remindedTroubles);
    m_voiceRemindGroup = remind;
    grid->addWidget(remind, 0, 1);

    m_reminderAfterDisarm =
        add(new RadioGroup(QStringLiteral("Напоминание после снятия:"), offOnReminder, 2, page),
            QStringLiteral("ReminderAfterDisarm"));
    m_autoReminder =
        add(new RadioGroup(QStringLiteral("Автоматическое напоминание:"), offOnReminder, 2, page),
            QStringLiteral("AutoRemainder"));
    grid->addWidget(m_reminderAfterDisarm, 1, 1);
    grid->addWidget(m_autoReminder, 2, 1);

    auto* timeGroup = new QGroupBox(QStringLiteral("Время напоминания и тишины:"), page);
    auto* timeGrid = new QGridLayout(timeGroup);
    for (std::size_t i = 0; i < kTimeFields.size(); ++i) {
        timeGrid->addWidget(new QLabel(QString::fromUtf8(kTimeFields[i].caption), timeGroup),
                            static_cast<int>(i), 0);
        m_times[i] = add(new MaskedField(MaskedField::Kind::Time, 5, timeGroup),
                         QString::fromLatin1(kTimeFields[i].name));
        m_times[i]->setFixedWidth(60);
        timeGrid->addWidget(m_times[i], static_cast<int>(i), 1);
    }
    timeGrid->addWidget(new QLabel(QStringLiteral("Громкость"), timeGroup), 4, 0);
    m_volume = add(new QComboBox(timeGroup), QStringLiteral("Volume"));
    m_volume->addItems(numberItems(0, kVolumeItemCount - 1));
    timeGrid->addWidget(m_volume, 4, 1);
    grid->addWidget(timeGroup, 3, 1);
    return page;
}

QWidget* TL640MSettingsForm::buildExchangeRow() {
    auto* row = new QWidget(this);
    auto* box = new QVBoxLayout(row);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(3);

    // Port, help and links, then the work mode and what was connected.
    auto* top = new QHBoxLayout;
    top->addWidget(furnitureRow(), 1);
    top->addWidget(new QLabel(QStringLiteral("Режим работы:"), row));
    m_operatingMode = add(new QComboBox(row), QStringLiteral("OperatingModeCmB"));
    m_operatingMode->addItems({QStringLiteral("демо"), QStringLiteral("on-line")});
    m_operatingMode->setCurrentIndex(-1);
    top->addWidget(m_operatingMode);
    box->addLayout(top);

    auto button = [&](const char* caption, const char* name, bool enabled) {
        auto* b = add(new QPushButton(QString::fromUtf8(caption), row), QString::fromLatin1(name));
        b->setEnabled(enabled);
        b->setAutoDefault(false);
        return b;
    };
    m_connectButton = createConnectButton(row);
    m_connectButton->setAutoDefault(false);
    m_disconnectButton = button("Разорвать связь", "DisconnectButton", false);
    m_readButton = button("Считать из прибора", "ReadButton", false);
    m_writeButton = button("Записать в прибор ", "WriteButton", false);
    m_loadButton = button("Считать из файла", "LoadBitBtn", false);
    m_saveButton = button("Записать в файл", "SaveBitBtn", false);
    m_defaultButton = button("Завод. настройки", "DefaultButton", true);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_connectButton, m_disconnectButton, m_readButton, m_writeButton})
        buttons->addWidget(b);
    buttons->addSpacing(16);
    for (QPushButton* b : {m_loadButton, m_saveButton, m_defaultButton}) buttons->addWidget(b);
    buttons->addStretch(1);
    box->addLayout(buttons);

    auto* copy = new QHBoxLayout;
    m_registrationOption =
        add(new QCheckBox(QStringLiteral("Считать/записать резервную копию данных о регистрации"), row),
            QStringLiteral("L640bakChB"));
    copy->addWidget(m_registrationOption);
    m_objNumLabel = add(new QLabel(QStringLiteral("Номер объекта:"), row), QStringLiteral("ObjNumLabel"));
    m_objNumEdit = add(new QLineEdit(QStringLiteral("1"), row), QStringLiteral("ObjNumEdit"));
    m_objNumEdit->setFixedWidth(60);
    m_copyLabel = add(new QLabel(QStringLiteral("Файл копии: "), row), QStringLiteral("RCopyFNameLabel"));
    m_copyNameLabel = add(new QLabel(row), QStringLiteral("RCopyFNameLabel2"));
    // A long copy name must not widen the window beyond the screen.
    m_copyNameLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_objNumLabel, m_objNumEdit, m_copyLabel, m_copyNameLabel}) {
        copy->addWidget(w);
        w->setVisible(false);
    }
    copy->setStretchFactor(m_copyNameLabel, 1);
    copy->addStretch(0);
    copy->addSpacing(12);
    copy->addWidget(new QLabel(QStringLiteral("Тип прибора:"), row));
    m_typeLabel = add(new QLabel(row), QStringLiteral("TypeLabel2"));
    // Room for the board's name in whatever font the desktop gives.
    m_typeLabel->setMinimumWidth(
        m_typeLabel->fontMetrics().horizontalAdvance(QString::fromUtf8(kBoardDName)) + 6);
    copy->addWidget(m_typeLabel);
    copy->addWidget(new QLabel(QStringLiteral("Версия ПО:"), row));
    m_versionLabel = add(new QLabel(row), QStringLiteral("VersionLabel2"));
    m_versionLabel->setMinimumWidth(30);
    copy->addWidget(m_versionLabel);
    box->addLayout(copy);
    return row;
}

}  // namespace livna
