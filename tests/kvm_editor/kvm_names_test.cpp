// Every control the Ливна-КВ-М editor must carry, under its name and of the right kind, and the
// window's design and start-up states.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>

#include <functional>

#include "kvm_editor_fixture.h"

using namespace livna;
using namespace livna::test;

namespace {

struct Expected {
    QString name;
    const QMetaObject* kind;
};

QString two(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

/// Written out from the names the panel's settings are known by, independently of the tables
/// the window is built from.
std::vector<Expected> expectedNames() {
    std::vector<Expected> out;
    auto add = [&](const QString& name, const QMetaObject& kind) { out.push_back({name, &kind}); };
    const QMetaObject& check = QCheckBox::staticMetaObject;
    const QMetaObject& radio = QRadioButton::staticMetaObject;
    const QMetaObject& edit = QLineEdit::staticMetaObject;
    const QMetaObject& combo = QComboBox::staticMetaObject;
    const QMetaObject& group = QGroupBox::staticMetaObject;
    const QMetaObject& label = QLabel::staticMetaObject;
    const QMetaObject& button = QPushButton::staticMetaObject;
    const QMetaObject& counter = UpDown::staticMetaObject;
    const QMetaObject& masked = MaskedField::staticMetaObject;
    const QMetaObject& widget = QWidget::staticMetaObject;

    for (int p = 1; p <= 16; ++p) {
        const QString n = QString::number(p);
        for (const char* prefix :
             {"avt", "tix", "krs", "Iskl", "privrele1", "privrele2", "privrele3", "privok1", "privok2"})
            add(prefix + n, check);
        for (const char* prefix : {"ds0", "ds1", "ds2"}) add(prefix + n, radio);
        add("NameRzd" + n, combo);
        add("OwnName" + n, edit);
        add("LabelSimb" + n, label);
    }
    for (int r = 1; r <= 4; ++r)
        for (int d = 1; d <= 48; ++d) {
            add(QStringLiteral("RPD%1%2").arg(r).arg(d), masked);
            add(QStringLiteral("RPDI%1%2").arg(r).arg(d), masked);
        }
    for (int c = 1; c <= 32; ++c) {
        add(QStringLiteral("kod%1").arg(c), masked);
        for (int p = 1; p <= 16; ++p) add(QStringLiteral("q%1%2").arg(two(c)).arg(p), check);
    }
    for (int k = 1; k <= 96; ++k) {
        add(QStringLiteral("Key%1").arg(k), edit);
        for (int p = 1; p <= 16; ++p) add(QStringLiteral("qtm%1%2").arg(two(k)).arg(p), check);
    }
    for (const char* name : {"Keysound1", "Keysound3", "keysound2", "LCD_key1", "LCD_key3", "LCD_key2",
                             "L640tmptr", "L640tmpncp", "Rpytmptr", "Rpytmpncp", "Rpdtmptr", "Rpdtmpncp",
                             "Rpdcvztr", "Rpdcvzncp", "Rpdbloktr", "Rpdblokncp"})
        add(name, radio);
    for (const char* stem :
         {"AlarmVoice", "FireVoice", "AttentionVoice", "ArmedVoice", "AlarmSystVoice", "AlarmRzdVoice",
          "TroubleSystVoice", "TroubleRzdVoice", "TroublePowVoice", "SystOKVoice", "RzdOKVoice", "RzdNReady",
          "TroubleSystRem", "TroubleRzdRem", "TroublePowRem"}) {
        add(QString(stem) + "Y", radio);
        add(QString(stem) + "N", radio);
    }
    for (int n = 1; n <= 5; ++n) {
        const QString s = QString::number(n);
        add("ReleWorkMode" + s, group);
        add("ReleControl" + s, combo);
        for (const char* stem :
             {"AlarmEvent", "BoxDamage", "OnOffLine", "OnOffAllLine", "ErrorFire", "NoConnect", "ErrorPower",
              "RadioChanBlck", "DamageCD", "ErrorInterface", "NoLine", "PowerCD"})
            add(stem + s, check);
        for (const char* stem : {"TimeZmk", "TimeRzmk", "TimePeriod", "InvRele"}) add(stem + s, combo);
    }
    for (int b = 1; b <= 8; ++b) add(QStringLiteral("Border%1").arg(b), combo);
    for (int s = 1; s <= 2; ++s) {
        add(QStringLiteral("PrivShS%1").arg(s), masked);
        add(QStringLiteral("typeShS%1").arg(s), combo);
        add(QStringLiteral("DblSh%1").arg(s), check);
    }
    for (const char* name :
         {"PasswordEdit", "PasswordEdit2", "TimeReminder", "TimeReminder1", "SilenceStart", "SilenceStop"})
        add(name, masked);
    for (const char* name : {"DelayEdit", "DelayEditVxod", "DelayEdit2", "DelayEditVxod2", "EditSoundExt",
                             "EditTimesound", "EditTimeLCD", "NumKodEdit", "NumKeyEdit", "ObjNumEdit"})
        add(name, edit);
    for (const char* name :
         {"Delay", "DelayVxod", "Delay2", "DelayVxod2", "TimesoundExt", "Timesound", "TimeLCD", "KOD", "KEY"})
        add(name, counter);
    for (const char* name : {"ConfirmPaswrd", "GSMkom", "kom671", "ViolenceCode", "VoiceModule",
                             "ReminderAfterDisarm", "AutoRemainder", "CommPortRdG"})
        add(name, group);
    add("Volume", combo);
    add("OperatingModeCmB", combo);
    for (const char* name : {"ConnectButton", "DisconnectButton", "ReadButton", "WriteButton", "LoadBitBtn",
                             "SaveBitBtn", "DefaultButton", "HelpBitBtn"})
        add(name, button);
    for (const char* name : {"TypeLabel2", "VersionLabel2", "ObjNumLabel", "RCopyFNameLabel",
                             "RCopyFNameLabel2", "WebSiteLabel", "EmailLabel"})
        add(name, label);
    add("L640bakChB", check);
    for (const char* name : {"TabSheet2", "TabSheet11", "TabSheetSysNum", "MainStatusBar", "MainProgressBar"})
        add(name, widget);
    return out;
}

QTabWidget* tabsOf(TL640MSettingsForm* form) {
    return form->tabs();
}

int tabIndex(QTabWidget* tabs, const QString& caption) {
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i) == caption) return i;
    return -1;
}

}  // namespace

class KvmNamesTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void everyName_isIndexedAndInTheWindow() {
        EditorFixture e;
        const auto expected = expectedNames();
        for (const Expected& x : expected) {
            QWidget* indexed = e.form->names().find(x.name);
            QVERIFY2(indexed != nullptr, qPrintable("not indexed: " + x.name));
            QVERIFY2(indexed->objectName() == x.name, qPrintable("indexed under another name: " + x.name));
            QVERIFY2(indexed->metaObject()->inherits(x.kind),
                     qPrintable(x.name + " is a " + indexed->metaObject()->className()));
            QVERIFY2(find(e.form.get(), x.name) == indexed, qPrintable("not the window's child: " + x.name));
        }
        // Names are looked up without regard to case, as the panel's tools always did.
        QCOMPARE(e.form->names().find("KEYSOUND2"), e.form->names().find("keysound2"));
    }

    void captions_andItemLists() {
        EditorFixture e;
        QWidget* w = e.form.get();
        const std::pair<const char*, const char*> buttons[] = {
            {"ConnectButton", "Установить связь"}, {"DisconnectButton", "Разорвать связь"},
            {"WriteButton", "Записать в прибор "}, {"ReadButton", "Считать из прибора"},
            {"SaveBitBtn", "Записать в файл"},     {"LoadBitBtn", "Считать из файла"},
            {"DefaultButton", "Завод. настройки"}, {"HelpBitBtn", "Help  "}};
        for (const auto& [name, caption] : buttons)
            QCOMPARE(control<QPushButton>(w, name)->text(), QString(caption));
        QCOMPARE(control<QCheckBox>(w, "L640bakChB")->text(),
                 QString("Считать/записать резервную копию данных о регистрации"));
        QCOMPARE(control<QLabel>(w, "ObjNumLabel")->text(), QString("Номер объекта:"));
        QCOMPARE(control<QLabel>(w, "RCopyFNameLabel")->text(), QString("Файл копии: "));
        QCOMPARE(control<QLabel>(w, "LabelSimb7")->text(), QString("(макс.8 симв. )"));
        QCOMPARE(radioItems(w, "ReleWorkMode4"),
                 QStringList({"ПЦН тревога", "Контрольная лампа", "Взят/снят", "Звуковой", "Тревога",
                              "Исполнительный", "Специальный"}));
        QCOMPARE(radioItems(w, "ViolenceCode"), QStringList({"Не используются", "Используются"}));
        QCOMPARE(radioItems(w, "ConfirmPaswrd"), QStringList({"Разрешен", "Запрещен"}));
        QCOMPARE(radioItems(w, "VoiceModule"), QStringList({"Выключен", "Включен"}));
        QCOMPARE(radioItems(w, "AutoRemainder"), QStringList({"Выключено", "Включено"}));
        auto* close = control<QComboBox>(w, "TimeZmk2");
        QCOMPARE(close->count(), 256);
        QCOMPARE(close->itemText(0), QString("---"));
        QCOMPARE(close->itemText(1), QString("0.5 сек"));
        QCOMPARE(close->itemText(254), QString("127 сек"));
        QCOMPARE(close->itemText(255), QString("пост."));
        auto* duration = control<QComboBox>(w, "TimePeriod5");
        QCOMPARE(duration->itemText(12), QString("1 мин"));
        QCOMPARE(duration->itemText(13), QString("1 м 5 с"));
        QCOMPARE(duration->itemText(254), QString("21 м 10 с"));
        auto* names = control<QComboBox>(w, "NameRzd16");
        QCOMPARE(names->count(), 57);
        QCOMPARE(names->itemText(0), QString("раздел"));
        QCOMPARE(names->itemText(17), QString("комната  №1"));
        QCOMPARE(names->itemText(56), QString("пользовательское название"));
        QCOMPARE(control<QComboBox>(w, "InvRele1")->itemText(0), QString("Нет "));
        QCOMPARE(control<QComboBox>(w, "OperatingModeCmB")->itemText(1), QString("on-line"));
        QCOMPARE(control<QLineEdit>(w, "OwnName3")->maxLength(), 8);
        QCOMPARE(control<QLineEdit>(w, "Key96")->maxLength(), 12);
        QCOMPARE(control<QLineEdit>(w, "kod32")->maxLength(), 6);
        QCOMPARE(control<MaskedField>(w, "SilenceStart")->positionalText(), QString("__:__"));
    }

    void tabs_groupedWithTheHiddenOnesHidden() {
        EditorFixture e;
        QTabWidget* tabs = tabsOf(e.form.get());
        for (const char* caption :
             {"Главная", "Параметры разделов", "Редактирование кодов", "Редактирование ключей ТМ",
              "Привязки извещателей к разделам", "Выходы"}) {
            const int i = tabIndex(tabs, caption);
            QVERIFY2(i >= 0 && tabs->isTabVisible(i), caption);
        }
        QVERIFY(!tabs->isTabVisible(tabIndex(tabs, "Голосовой модуль")));
        QVERIFY(!tabs->isTabVisible(tabIndex(tabs, "Системные номера РПДИ")));
        auto* outputs = control<QTabWidget>(e.form.get(), "OutputPageControl");
        QCOMPARE(outputs->count(), 5);
        QVERIFY(!outputs->isTabVisible(tabIndex(outputs, "Реле №3")));
        QVERIFY(outputs->isTabVisible(tabIndex(outputs, "Выход OК №2")));
        auto* receivers = control<QTabWidget>(e.form.get(), "RPDPageControl");
        QStringList pages;
        for (int i = 0; i < receivers->count(); ++i) pages << receivers->tabText(i);
        QCOMPARE(pages, QStringList({"РПДИ 5-52", "РПДИ 53-100", "РПДИ 101-148", "РПДИ 149-196"}));
        auto* keys = e.form->keyTabs();
        QCOMPARE(keys->tabText(2), QString("Ключ ТМ № 65 - 96"));
        QCOMPARE(control<QLabel>(e.form.get(), "LabelSimb1")->isHidden(), true);
    }

    void designStates_beforeTheWindowIsShown() {
        EditorFixture e;
        QWidget* w = e.form.get();
        QCOMPARE(control<QComboBox>(w, "OperatingModeCmB")->currentIndex(), -1);
        const std::pair<const char*, bool> states[] = {{"ConnectButton", true}, {"DisconnectButton", false},
                                                       {"WriteButton", false},  {"ReadButton", false},
                                                       {"SaveBitBtn", false},   {"LoadBitBtn", false},
                                                       {"DefaultButton", true}, {"HelpBitBtn", true}};
        for (const auto& [name, enabled] : states)
            QVERIFY2(control<QPushButton>(w, name)->isEnabled() == enabled, name);
        QVERIFY(control<QLabel>(w, "TypeLabel2")->text().isEmpty());
        QVERIFY(control<QLabel>(w, "VersionLabel2")->text().isEmpty());
        QCOMPARE(control<QLineEdit>(w, "ObjNumEdit")->text(), QString("1"));
        for (const char* name : {"ObjNumLabel", "ObjNumEdit", "RCopyFNameLabel", "RCopyFNameLabel2"})
            QVERIFY2(find(w, name)->isHidden(), name);
        QCOMPARE(e.form->commPortIndex(), 2);
    }

    void startUp_demoStatesAndFirstTab() {
        EditorFixture e;
        e.form->tabs()->setCurrentIndex(3);
        showWindow(e.form.get());
        QWidget* w = e.form.get();
        QCOMPARE(control<QComboBox>(w, "OperatingModeCmB")->currentText(), QString("демо"));
        QVERIFY(!control<QPushButton>(w, "ConnectButton")->isEnabled());
        QVERIFY(control<QPushButton>(w, "LoadBitBtn")->isEnabled());
        QVERIFY(control<QPushButton>(w, "SaveBitBtn")->isEnabled());
        QCOMPARE(e.form->tabs()->currentIndex(), 0);
        LIVNA_COMPARE_IMAGES(e.gather(), factoryImage());
        e.form->hide();
    }

    void registrationOption_showsAndHidesItsControls() {
        EditorFixture e;
        showWindow(e.form.get());
        for (bool on : {true, false}) {
            control<QCheckBox>(e.form.get(), "L640bakChB")->setChecked(on);
            for (const char* name : {"ObjNumLabel", "ObjNumEdit", "RCopyFNameLabel", "RCopyFNameLabel2"})
                QVERIFY2(find(e.form.get(), name)->isVisible() == on, name);
        }
        e.form->hide();
    }

    void window_fitsA1024x768Screen() {
        EditorFixture e;
        showWindow(e.form.get());
        const QSize frame = e.form->frameGeometry().size();
        QVERIFY2(frame.width() <= 1024 && frame.height() <= 740,
                 qPrintable(QStringLiteral("%1 x %2").arg(frame.width()).arg(frame.height())));
        QVERIFY2(e.form->minimumSizeHint().width() <= 1024 && e.form->minimumSizeHint().height() <= 740,
                 qPrintable(QStringLiteral("minimum %1 x %2")
                                .arg(e.form->minimumSizeHint().width())
                                .arg(e.form->minimumSizeHint().height())));
        e.form->hide();
    }

    void creation_makesTheProgramFolderCurrentAndCreatesConf() {
        EditorFixture e(false);
        QCOMPARE(QDir::current().canonicalPath(), QDir(e.folder.path()).canonicalPath());
        QVERIFY(QDir(e.path("Conf")).exists());
    }
};

QTEST_MAIN(KvmNamesTest)
#include "kvm_names_test.moc"
