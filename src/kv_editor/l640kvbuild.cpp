// The Ливна-КВ editor's tabs and controls, each under its name.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStringListModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "kv_editor/kv_grids.h"
#include "kv_editor/l640kvunit.h"

namespace livna {

namespace {

struct NoticeNames {
    const char* caption;
    const char* trouble;
    const char* alarm;
};

/// Values 31..37 in order.
constexpr NoticeNames kNoticeRows[kv::kNotifications] = {
    {"Вскрытие пульт :", "PanelOpenFailChB", "PanelOpenAlarmChB"},
    {"Вскрытие РПУ:", "RCVOpenFailChB", "RCVOpenAlarmChB"},
    {"Вскрытие РПД:", "DtctrOpenFailChB", "DtctrOpenAlarmChB"},
    {"Нет связи с  РПУ:", "NoRCVConnFailChB", "NoRCVConnAlarmChB"},
    {"Нет связи с  РПД:", "NoDtctrConnFailChB", "NoDtctrConnAlarmChB"},
    {"Блокирирование. РК:", "RCBlockFailChB", "RCBlockAlarmChB"},
    {"Нет связи с МР:", "NoMRConnFailChB", "NoMRConnAlarmChB"},
};

QTableView* gridView(QWidget* parent) {
    auto* view = new QTableView(parent);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(18);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

}  // namespace

TL640KVForm::SecondsField TL640KVForm::makeSecondsField(const QString& counterName, const QString& editName,
                                                        int maximum, QWidget* parent) {
    SecondsField field;
    field.edit = add(new QLineEdit(QStringLiteral("0"), parent), editName);
    field.edit->setFixedWidth(44);
    field.edit->setValidator(new QIntValidator(0, maximum, field.edit));
    field.counter = add(new UpDown(0, maximum, parent), counterName);
    // The edit and the counter show one value; the counter's position is what is stored.
    connect(field.counter, &UpDown::positionChanged, field.edit,
            [edit = field.edit](int position) { edit->setText(QString::number(position)); });
    connect(field.edit, &QLineEdit::textEdited, field.counter,
            [counter = field.counter](const QString& text) {
                bool ok = false;
                const int value = text.toInt(&ok);
                if (ok) counter->setPosition(value);
            });
    return field;
}

void TL640KVForm::buildControls() {
    m_tabs = add(new QTabWidget(this), QStringLiteral("MainPageC"));
    m_tabs->addTab(buildMainPage(), QStringLiteral("Главная"));
    m_tabs->addTab(buildCodePage(), QStringLiteral("Редактирование кодов"));
    m_tabs->addTab(buildRelayPage(), QStringLiteral("Реле"));
    m_tabs->addTab(buildObjectPage(), QStringLiteral("Назначение в объекты"));
    const char* const pageNames[] = {"MainTabSheet", "CodeEditTabSheet", "ReleTabSheet", "ObjAssignTabSheet"};
    for (int i = 0; i < m_tabs->count(); ++i) add(m_tabs->widget(i), QString::fromLatin1(pageNames[i]));

    createBars(QStringLiteral("MainStatusBar"), QStringLiteral("MainProgressBar"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 2);
    layout->setSpacing(3);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(buildDiagnostics());
    layout->addWidget(buildExchangeRow());
    auto* bars = new QHBoxLayout;
    bars->addWidget(statusBar(), 3);
    bars->addWidget(progressBar(), 1);
    layout->addLayout(bars);
}

QWidget* TL640KVForm::buildMainPage() {
    auto* page = new QWidget;
    auto* rows = new QVBoxLayout(page);

    // Passwords, reset, speed and the two mode groups on the left; the notification status on the right.
    auto* settings = new QGroupBox(QStringLiteral("Основные настройки:"), page);
    auto* columns = new QHBoxLayout(settings);
    auto* left = new QVBoxLayout;
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    grid->addWidget(new QLabel(QStringLiteral("Пароль инженера"), settings), 0, 0);
    m_engineerPassword = add(new QLineEdit(settings), QStringLiteral("AdminPwdEdit"));
    m_engineerPassword->setMaxLength(static_cast<int>(kv::kEngineerPasswordSlots));
    grid->addWidget(m_engineerPassword, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Пароль администратора"), settings), 1, 0);
    m_administratorPassword = add(new QLineEdit(settings), QStringLiteral("EnginPwdEdit"));
    m_administratorPassword->setMaxLength(static_cast<int>(kv::kAdministratorPasswordSlots));
    grid->addWidget(m_administratorPassword, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Сброс пароля"), settings), 2, 0);
    m_passwordReset = add(new QComboBox(settings), QStringLiteral("EnginPwdResetCmB"));
    m_passwordReset->addItems({QStringLiteral("Разрешен"), QStringLiteral("Запрещен")});
    grid->addWidget(m_passwordReset, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Скорость обмена с приборами"), settings), 3, 0);
    m_speed = add(new QComboBox(settings), QStringLiteral("DeviceSpeedCmB"));
    m_speed->addItems({QStringLiteral("1200"), QStringLiteral("4800")});
    grid->addWidget(m_speed, 3, 1);
    left->addLayout(grid);

    // A mode group with its duration below the three choices.
    auto modeGroup = [&](const char* caption, const QStringList& items, const char* const(&names)[3],
                         const char* counterName, const char* editName, SecondsField& duration) {
        auto* group = new RadioGroup(QString::fromUtf8(caption), items, 1, settings);
        for (int i = 0; i < 3; ++i) add(group->buttons()->button(i), QString::fromLatin1(names[i]));
        duration = makeSecondsField(QString::fromLatin1(counterName), QString::fromLatin1(editName),
                                    kv::kDurationMax, group);
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Длит-сть:"), group));
        row->addWidget(duration.edit);
        row->addWidget(duration.counter);
        row->addWidget(new QLabel(QStringLiteral("(0c-254c)"), group));
        row->addStretch(1);
        static_cast<QGridLayout*>(group->layout())->addLayout(row, 3, 0);
        return group;
    };
    const char* const soundNames[3] = {"KeyBSoundOnRdB", "KeyBSoundOffRdB", "KeyBSoundOnlyAlarmRdB"};
    m_sound = modeGroup(
        "Режим внутреннего звука:",
        {QStringLiteral("Включен:"), QStringLiteral("Выключен:"), QStringLiteral("Только тревога:")},
        soundNames, "KeyBSoundDurUpDown", "KeyBSoundDurEdit", m_soundDuration);
    const char* const lightNames[3] = {"LCDLightOnRdB", "LCDLightOffRdB", "LCDLightAutoRdB"};
    m_backlight = modeGroup(
        "Подсветка ЖКИ:",
        {QStringLiteral("Включена:"), QStringLiteral("Выключена:"), QStringLiteral("Автоматически:")},
        lightNames, "LCDLightDurUpDown", "LCDLightDurEdit", m_backlightDuration);
    auto* modes = new QHBoxLayout;
    modes->addWidget(m_sound);
    modes->addWidget(m_backlight);
    left->addLayout(modes);
    left->addStretch(1);
    columns->addLayout(left);

    auto* notices = new QGroupBox(QStringLiteral("Статус  извещений."), settings);
    auto* noticeGrid = new QGridLayout(notices);
    noticeGrid->setVerticalSpacing(1);
    noticeGrid->addWidget(new QLabel(QStringLiteral("Неисп/Тревога"), notices), 0, 1, 1, 2);
    for (int i = 0; i < kv::kNotifications; ++i) {
        const NoticeNames& n = kNoticeRows[i];
        NoticeRow& row = m_notices[static_cast<std::size_t>(i)];
        noticeGrid->addWidget(new QLabel(QString::fromUtf8(n.caption), notices), i + 1, 0);
        row.trouble = add(new QCheckBox(notices), QString::fromLatin1(n.trouble));
        row.alarm = add(new QCheckBox(notices), QString::fromLatin1(n.alarm));
        noticeGrid->addWidget(row.trouble, i + 1, 1);
        noticeGrid->addWidget(row.alarm, i + 1, 2);
    }
    noticeGrid->setColumnStretch(3, 1);
    noticeGrid->setRowStretch(kv::kNotifications + 1, 1);
    columns->addWidget(notices);
    rows->addWidget(settings);

    auto* info = new QGroupBox(QStringLiteral("Информация о приборе:"), page);
    auto* infoRow = new QHBoxLayout(info);
    infoRow->addWidget(new QLabel(QStringLiteral("Тип прибора:"), info));
    m_typeLabel = add(new QLabel(info), QStringLiteral("DevTypeLabel2"));
    m_typeLabel->setMinimumWidth(160);
    infoRow->addWidget(m_typeLabel);
    infoRow->addWidget(new QLabel(QStringLiteral("Версия ПО прибора:"), info));
    m_versionLabel = add(new QLabel(info), QStringLiteral("DevSoftVerLabel2"));
    m_versionLabel->setMinimumWidth(40);
    infoRow->addWidget(m_versionLabel);
    infoRow->addStretch(1);
    rows->addWidget(info);
    rows->addStretch(1);
    return page;
}

QWidget* TL640KVForm::buildCodePage() {
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);

    auto* left = new QVBoxLayout;
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("Количество Кодов:"), page));
    m_codeCount =
        makeSecondsField(QStringLiteral("NumCodeUpDown"), QStringLiteral("NumCodeEdit"), kv::kCodes, page);
    countRow->addWidget(m_codeCount.edit);
    countRow->addWidget(m_codeCount.counter);
    countRow->addWidget(new QLabel(QStringLiteral("(1-32)"), page));
    countRow->addStretch(1);
    left->addLayout(countRow);
    left->addWidget(new QLabel(QStringLiteral("Коды подтверждения: "), page));
    m_codeGrid = add(gridView(page), QStringLiteral("CodeEditStrGrid"));
    m_codeGridModel = new KvCodeGridModel(m_model, m_codeGrid);
    m_codeGrid->setModel(m_codeGridModel);
    m_codeGrid->horizontalHeader()->setStretchLastSection(true);
    m_codeGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_codeMenu = new QMenu(m_codeGrid);
    m_addCode = m_codeMenu->addAction(QStringLiteral("Добавить код"));
    m_addCode->setObjectName(QStringLiteral("AddCode"));
    m_deleteCode = m_codeMenu->addAction(QStringLiteral("Удалить код"));
    m_deleteCode->setObjectName(QStringLiteral("DeleteCode"));
    left->addWidget(m_codeGrid, 1);
    columns->addLayout(left, 1);

    auto* edit = new QGroupBox(page);
    auto* grid = new QGridLayout(edit);
    grid->addWidget(new QLabel(QStringLiteral("Номер:"), edit), 0, 0);
    m_codeNumber = add(new QLineEdit(edit), QStringLiteral("CodeEdit"));
    m_codeNumber->setReadOnly(true);
    grid->addWidget(m_codeNumber, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Код:"), edit), 1, 0);
    m_codeText = add(new QLineEdit(edit), QStringLiteral("CodeEdit2"));
    m_codeText->setMaxLength(static_cast<int>(kv::kCodeSlots));
    grid->addWidget(m_codeText, 1, 1);
    m_codeSaveButton = add(new QPushButton(QStringLiteral("Сохранить изменения"), edit),
                           QStringLiteral("CodeEditSaveButton"));
    m_codeSaveButton->setAutoDefault(false);
    grid->addWidget(m_codeSaveButton, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{m_codeNumber, m_codeText, m_codeSaveButton})
        w->setEnabled(false);
    columns->addWidget(edit, 1);
    return page;
}

QWidget* TL640KVForm::buildRelayPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    m_relay1 = add(new RadioGroup(QStringLiteral("Реле 1:"),
                                  {QStringLiteral("ПЦН тревога"), QStringLiteral("Контрольная лампа"),
                                   QStringLiteral("Звуковой")},
                                  1, page),
                   QStringLiteral("ReleWorkMode1"));
    m_relay2 = add(new RadioGroup(QStringLiteral("Реле 2:"),
                                  {QStringLiteral("ПЦН пожар"), QStringLiteral("Контрольная лампа"),
                                   QStringLiteral("Звуковой")},
                                  1, page),
                   QStringLiteral("ReleWorkMode2"));
    auto* row = new QHBoxLayout;
    row->addWidget(m_relay1);
    row->addWidget(m_relay2);
    row->addStretch(1);
    box->addLayout(row);
    box->addStretch(1);
    return page;
}

QWidget* TL640KVForm::buildObjectPage() {
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    m_objectGrid = add(gridView(page), QStringLiteral("ObjAssignStrGrid"));
    m_objectGridModel = new KvObjectGridModel(m_model, m_objectGrid);
    m_objectGrid->setModel(m_objectGridModel);
    // Fixed widths: the view need not measure 768 rows to lay itself out.
    m_objectGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_objectGrid->horizontalHeader()->setMinimumSectionSize(KvObjectGridModel::kWidths[4]);
    for (int c = 0; c < KvObjectGridModel::kColumns; ++c)
        m_objectGrid->setColumnWidth(c, KvObjectGridModel::kWidths[c]);
    // The texts of the narrow columns fit in a smaller font.
    QFont small = m_objectGrid->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_objectGrid->setFont(small);
    m_objectGrid->horizontalHeader()->setFont(small);
    m_objectGrid->setTextElideMode(Qt::ElideNone);
    m_objectGrid->setMinimumWidth(45 + 30 + 30 + 85 + 8 * 20 + 24);
    columns->addWidget(m_objectGrid);

    auto* edit = new QGroupBox(page);
    auto* grid = new QGridLayout(edit);
    grid->addWidget(new QLabel(QStringLiteral("Объект"), edit), 0, 0);
    m_objectNumber = add(new QLineEdit(edit), QStringLiteral("ObjLabeledEdit"));
    m_objectNumber->setReadOnly(true);
    grid->addWidget(m_objectNumber, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Вкл./Выкл"), edit), 1, 0);
    m_objectOn = add(new QCheckBox(edit), QStringLiteral("OnOffChB"));
    m_objectOn->setEnabled(false);
    grid->addWidget(m_objectOn, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("РПД"), edit), 2, 0);
    m_objectDetector = add(new QComboBox(edit), QStringLiteral("RPDCmB"));
    m_objectDetector->setEditable(true);
    for (int r = 1; r <= kv::kDetectors; ++r) m_objectDetector->addItem(QString::number(r));
    m_objectDetector->lineEdit()->setMaxLength(2);
    // The list drops down with the items that begin with what is typed.
    m_objectDetector->completer()->setCompletionMode(QCompleter::PopupCompletion);
    m_objectDetector->setCurrentIndex(-1);
    grid->addWidget(m_objectDetector, 2, 1);

    grid->addWidget(
        new QLabel(
            QStringLiteral("ШС:        1        2        3        4        5        6        7        8"),
            edit),
        3, 0, 1, 2);
    auto* zones = new QHBoxLayout;
    zones->addSpacing(36);
    for (int s = 0; s < kv::kZones; ++s) {
        auto* box = add(new QCheckBox(edit), QStringLiteral("Zone%1ChB").arg(s + 1));
        box->setEnabled(false);
        m_zones[static_cast<std::size_t>(s)] = box;
        zones->addWidget(box);
    }
    zones->addStretch(1);
    grid->addLayout(zones, 4, 0, 1, 2);
    m_objectSaveButton = add(new QPushButton(QStringLiteral("Сохранить изменения"), edit),
                             QStringLiteral("ObjAssignSaveButton"));
    m_objectSaveButton->setAutoDefault(false);
    m_objectSaveButton->setEnabled(false);
    grid->addWidget(m_objectSaveButton, 5, 0, 1, 2);

    auto* owner = new QHBoxLayout;
    owner->addWidget(new QLabel(QStringLiteral("ШС №"), edit));
    m_zoneNumber = add(new QLabel(edit), QStringLiteral("ZoneNumLabel2"));
    owner->addWidget(m_zoneNumber);
    owner->addWidget(new QLabel(QStringLiteral("принадлежит объекту №"), edit));
    m_zoneObject = add(new QLabel(edit), QStringLiteral("ObjNumLabel2"));
    owner->addWidget(m_zoneObject);
    owner->addStretch(1);
    grid->addLayout(owner, 6, 0, 1, 2);
    grid->setRowStretch(7, 1);
    columns->addWidget(edit, 1);
    return page;
}

QWidget* TL640KVForm::buildExchangeRow() {
    auto* row = new QWidget(this);
    auto* box = new QVBoxLayout(row);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(3);

    box->addWidget(furnitureRow());

    auto button = [&](const char* caption, const char* name, bool enabled) {
        auto* b = add(new QPushButton(QString::fromUtf8(caption), row), QString::fromLatin1(name));
        b->setEnabled(enabled);
        b->setAutoDefault(false);
        return b;
    };
    // The work mode and the panel's buttons, then the files' buttons: one row would not fit 800 pixels.
    auto* panel = new QHBoxLayout;
    panel->addWidget(new QLabel(QStringLiteral("Режим работы:"), row));
    m_operatingMode = add(new QComboBox(row), QStringLiteral("OperatingModeCmB"));
    m_operatingMode->addItems({QStringLiteral("демо"), QStringLiteral("on-line")});
    panel->addWidget(m_operatingMode);
    m_connectButton = createConnectButton(row);
    m_connectButton->setAutoDefault(false);
    m_disconnectButton = button("Разорвать связь", "DisconnectButton", false);
    m_readButton = button("Считать из прибора", "ReadButton", false);
    m_writeButton = button("Записать в прибор ", "WriteButton", false);
    for (QPushButton* b : {m_connectButton, m_disconnectButton, m_readButton, m_writeButton})
        panel->addWidget(b);
    panel->addStretch(1);
    box->addLayout(panel);

    m_saveButton = button("Записать в файл", "SaveBitBtn", true);
    m_loadButton = button("Считать из файла", "LoadBitBtn", true);
    m_defaultButton = button("Завод. настройки", "DefaultButton", true);
    auto* files = new QHBoxLayout;
    for (QPushButton* b : {m_saveButton, m_loadButton, m_defaultButton}) files->addWidget(b);
    files->addStretch(1);
    box->addLayout(files);
    return row;
}

QWidget* TL640KVForm::buildDiagnostics() {
    m_diagnostics = new QWidget(this);
    auto* box = new QHBoxLayout(m_diagnostics);
    box->setContentsMargins(0, 0, 0, 0);
    m_tmpList = add(new QListView(m_diagnostics), QStringLiteral("tmpListB"));
    m_tmpLines = new QStringListModel(m_tmpList);
    m_tmpList->setModel(m_tmpLines);
    m_tmpList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_memo1 = add(new QPlainTextEdit(m_diagnostics), QStringLiteral("Memo1"));
    m_memo2 = add(new QPlainTextEdit(m_diagnostics), QStringLiteral("Memo2"));
    for (QPlainTextEdit* memo : {m_memo1, m_memo2}) memo->setReadOnly(true);
    m_gatherButton =
        add(new QPushButton(QStringLiteral("Button1"), m_diagnostics), QStringLiteral("Button1"));
    m_gatherButton->setAutoDefault(false);
    for (QWidget* w : std::initializer_list<QWidget*>{m_tmpList, m_memo1, m_memo2}) box->addWidget(w, 1);
    box->addWidget(m_gatherButton, 0, Qt::AlignTop);
    m_diagnostics->setMaximumHeight(140);
    m_diagnostics->setVisible(false);
    return m_diagnostics;
}

}  // namespace livna
