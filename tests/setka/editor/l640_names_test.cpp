// Every control the setka editor must carry, under its name, of the right kind, with its tag,
// places and initial text; the top row, lists and counter ranges; the window as it is created.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>

#include <optional>
#include <vector>

#include "gui_harness.h"
#include "setka/editor/l640.h"

using namespace livna;
using namespace livna::setka;
using namespace livna::test;

namespace {

struct Expected {
    QString name;
    const QMetaObject* kind;
    int tag = -1;         ///< the Tag the rules read; -1: none
    int positions = 0;    ///< places of a masked field; 0: not one
    QString initialText;  ///< of a masked field as created
};

QString two(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

/// Written out from the names the panel's settings are known by, independently of the tables
/// the window is built from.
std::vector<Expected> expectedNames() {
    std::vector<Expected> out;
    auto add = [&](const QString& name, const QMetaObject& kind, int tag = -1, int positions = 0,
                   const QString& text = QString()) {
        out.push_back({name, &kind, tag, positions, text});
    };
    const QMetaObject& check = QCheckBox::staticMetaObject;
    const QMetaObject& radio = QRadioButton::staticMetaObject;
    const QMetaObject& edit = QLineEdit::staticMetaObject;
    const QMetaObject& combo = QComboBox::staticMetaObject;
    const QMetaObject& group = QGroupBox::staticMetaObject;
    const QMetaObject& label = QLabel::staticMetaObject;
    const QMetaObject& button = QPushButton::staticMetaObject;
    const QMetaObject& counter = UpDown::staticMetaObject;
    const QMetaObject& masked = MaskedField::staticMetaObject;
    const QMetaObject& radios = RadioGroup::staticMetaObject;
    const QMetaObject& widget = QWidget::staticMetaObject;
    const QMetaObject& tabs = QTabWidget::staticMetaObject;

    for (int k = 1; k <= 16; ++k) {
        const QString n = QString::number(k);
        for (const char* prefix : {"avt", "tix", "krs", "Iskl", "privrele1", "privrele2"})
            add(prefix + n, check);
        for (const char* prefix : {"ds0", "ds1", "ds2"}) add(prefix + n, radio);
        add("NameRzd" + n, combo, k);
        add("OwnName" + n, edit, k);
        add("LabelSimb" + n, label, k);
    }
    for (int r = 1; r <= 4; ++r)
        for (int d = 1; d <= 48; ++d) {
            add(QStringLiteral("RPD%1%2").arg(r).arg(d), masked, -1, 2, QStringLiteral("0 "));
            add(QStringLiteral("RPDI%1%2").arg(r).arg(d), masked, 48 * (r - 1) + d, 3, QStringLiteral("0  "));
        }
    for (int r = 1; r <= 4; ++r)
        for (int p = 1; p <= 24; ++p) {
            const QString suffix = r == 1 ? QString() : QStringLiteral("R%1").arg(r);
            for (int s = 1; s <= 8; ++s)
                add(QStringLiteral("Object%1%2").arg(s).arg(p) + suffix, masked,
                    192 * (r - 1) + 8 * (p - 1) + s - 1, 3, QStringLiteral("0 "));
            add(r == 1 ? QStringLiteral("ButtonRPD%1").arg(p)
                       : QStringLiteral("ButtonRPY%1RPD%2").arg(r).arg(p),
                button);
        }
    for (int c = 1; c <= 32; ++c) {
        add(QStringLiteral("kod%1").arg(c), masked, -1, 6, QString());
        for (int m = 1; m <= 16; ++m) add(QStringLiteral("q%1%2").arg(two(c)).arg(m), check);
    }
    for (int k = 1; k <= 96; ++k) {
        add(QStringLiteral("Key%1").arg(k), edit);
        for (int m = 1; m <= 16; ++m) add(QStringLiteral("qtm%1%2").arg(two(k)).arg(m), check);
    }
    for (const char* name : {"TM0132", "TM3264", "TM6496"}) add(name, widget);
    for (int i = 219; i <= 226; ++i) add(QStringLiteral("Label%1").arg(i), label);
    for (int i = 260; i <= 267; ++i) add(QStringLiteral("Label%1").arg(i), label);
    for (int b = 1; b <= 8; ++b) add(QStringLiteral("Border%1").arg(b), combo, b);

    for (const char* name : {"SaveButton", "LoadButton", "DefaultButton", "ConnectButton", "CancelButton",
                             "ReadButton", "WriteButton", "BitBtn1", "BitBtn2"})
        add(name, button);
    for (const char* name : {"TypeLabel", "VersionLabel", "Label1135", "Label1520", "Image1", "Image3"})
        add(name, label);
    for (const char* name :
         {"GroupBox21", "GroupBox36", "GroupBox7", "GroupBox14", "GroupBox19", "Status_izv", "GroupBox1",
          "GroupBox8", "Razdel", "GroupBox26", "GroupBoxPriv", "IdBox", "PanelKV"})
        add(name, group);
    for (const char* name :
         {"TabSheetRazdel", "TabSheetKod", "TabSheetPriv", "TabSheetKey", "TabSheetName", "TabSheetNameRzd",
          "TabSheetSysNum", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6", "TabSheet_KV_RPY1",
          "TabSheet_KV_RPY2", "TabSheet_KV_RPY3", "TabSheet_KV_RPY4", "RPU1", "RPU2", "RPU3", "RPU4"})
        add(name, widget);
    add("PageControl", tabs);
    add("PageControlRPU", tabs);
    add("PasswordEdit", masked, -1, 4, QString());
    add("PasswordEdit2", masked, -1, 6, QString());
    add("paswrd1", masked, -1, 4, QString());
    add("paswrd2", masked, -1, 6, QString());
    for (const char* name : {"Delay", "DelayVxod", "Timesound", "TimeLCD", "TimesoundExt", "SoundUpDown",
                             "LCDUpDown", "KOD", "KEY"})
        add(name, counter);
    for (const char* name : {"DelayEdit", "DelayEditVxod", "EditTimesound", "EditTimeLCD", "EditSoundExt",
                             "SoundEdit", "LCDEdit", "NumKodEdit", "NumKeyEdit"})
        add(name, edit);
    for (const char* name :
         {"Keysound1",    "keysound2",    "Keysound3",    "LCD_key1",   "LCD_key2",   "LCD_key3",
          "password1",    "password2",    "L640tmptr",    "L640tmpncp", "Rpytmptr",   "Rpytmpncp",
          "Rpdtmptr",     "Rpdtmpncp",    "Rpdcvztr",     "Rpdcvzncp",  "Rpdbloktr",  "Rpdblokncp",
          "SoundButton1", "SoundButton2", "SoundButton3", "LCDButton1", "LCDButton2", "LCDButton3",
          "ClearPaswrd1", "ClearPaswrd2"})
        add(name, radio);
    for (const char* stem :
         {"DamagePult", "DamageRPU", "DamageRPD", "ConnectRPU", "ConnectRPD", "Block", "ConnectMR"}) {
        add(QString(stem) + "1", radio);
        add(QString(stem) + "2", radio);
    }
    for (const char* name : {"kom671", "GSMkom", "MemRazd"}) add(name, radios);
    for (const char* name : {"Rele1Combo", "Rele2Combo", "ReleRI1", "ReleRI2", "SpeedLine"}) add(name, combo);
    add("ProgressBar1", QProgressBar::staticMetaObject);
    add("StatusBar1", QStatusBar::staticMetaObject);
    return out;
}

struct Window {
    explicit Window(SystemVariant variant, bool demo = true)
        : context{.chosenVariant = variant, .demoMode = demo} {}
    ScriptedDialogService dialogs;
    LinkContext context;
    TL640Form form{dialogs, context};
};

QStringList itemsOf(QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
}

}  // namespace

class L640NamesTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void everyControlHasItsNameKindTagAndPlaces() {
        Window w(SystemVariant::Kvm4);
        const std::vector<Expected> expected = expectedNames();
        for (const Expected& e : expected) {
            QWidget* found = find(&w.form, e.name);  // fails loudly when missing or doubled
            QVERIFY2(found->inherits(e.kind->className()),
                     qPrintable(e.name + " is a " + found->metaObject()->className()));
            QCOMPARE(w.form.names().find(e.name), found);
            if (e.tag >= 0) QCOMPARE(found->property("Tag").toInt(), e.tag);
            if (e.positions > 0) {
                auto* field = qobject_cast<MaskedField*>(found);
                QCOMPARE(field->positions(), e.positions);
                QCOMPARE(field->maxLength(), e.positions);
                QCOMPARE(field->text(), e.initialText);
            }
        }
        // Nothing indexed beyond the list: a misspelt name cannot hide among the right ones.
        QCOMPARE(w.form.names().size(), static_cast<qsizetype>(expected.size()));
        QVERIFY(!has(&w.form, QStringLiteral("RPD049")));
        QVERIFY(!has(&w.form, QStringLiteral("Object925")));
    }

    void topRowCountersAndListsAreAsDesigned() {
        Window w(SystemVariant::Kvm1);
        struct ButtonCase {
            const char* name;
            const char* caption;
            const char* hint;
            bool enabled;
        };
        const ButtonCase buttons[] = {
            {"DefaultButton", "Заводские установки", "Заводские установки F7", true},
            {"ConnectButton", "Установить связь", "Установить связь F4", false},
            {"CancelButton", "Разорвать связь", "Разорвать связь F5", true},
            {"ReadButton", "Считать конфигурацию из прибора", "Считать конфигурацию из прибора (F3)", false},
            {"WriteButton", "Записать конфигурацию в прибор", "Записать конфигурацию в прибор (F2)", false},
            {"BitBtn1", "Помощь", "", true},
            // The pages stay off until an image is shown.
            {"BitBtn2", "Общий сброс", "Обнуление всех объектов.", false},
            {"ButtonRPY4RPD24", "Сброс", "", false},
        };
        for (const ButtonCase& c : buttons) {
            auto* b = control<QPushButton>(&w.form, c.name);
            QCOMPARE(b->text(), QString::fromUtf8(c.caption));
            QCOMPARE(b->toolTip(), QString::fromUtf8(c.hint));
            QCOMPARE(b->isEnabled(), c.enabled);
        }
        QCOMPARE(control<QPushButton>(&w.form, "DefaultButton")->shortcut(), QKeySequence(Qt::Key_F7));

        struct Range {
            const char* name;
            int maximum;
        };
        for (const Range& r : {Range{"Delay", 254}, Range{"DelayVxod", 254}, Range{"Timesound", 254},
                               Range{"TimeLCD", 254}, Range{"TimesoundExt", 254}, Range{"SoundUpDown", 254},
                               Range{"LCDUpDown", 254}, Range{"KOD", 32}, Range{"KEY", 96}}) {
            auto* counter = control<UpDown>(&w.form, r.name);
            QCOMPARE(counter->minimum(), 0);
            QCOMPARE(counter->maximum(), r.maximum);
        }

        const QStringList kvmModes{"ПЦН тревога",       "Взят/Снят",      "Исполнительный",
                                   "Контрольная лампа", "Круглосуточный", "Звуковой"};
        const QStringList kvModes{"Тревога", "Контрольная лампа", "Звуковой"};
        QCOMPARE(itemsOf(control<QComboBox>(&w.form, "Rele1Combo")), kvmModes);
        QCOMPARE(itemsOf(control<QComboBox>(&w.form, "Rele2Combo")), kvmModes);
        QCOMPARE(itemsOf(control<QComboBox>(&w.form, "ReleRI1")), kvModes);
        QCOMPARE(itemsOf(control<QComboBox>(&w.form, "ReleRI2")), kvModes);
        QCOMPARE(itemsOf(control<QComboBox>(&w.form, "SpeedLine")), (QStringList{"1200 бод", "4800 бод"}));
        auto* border = control<QComboBox>(&w.form, "Border5");
        QCOMPARE(border->count(), 16);
        QCOMPARE(border->itemText(0), QStringLiteral("1"));
        QCOMPARE(border->itemText(15), QStringLiteral("16"));
        auto* name = control<QComboBox>(&w.form, "NameRzd16");
        QCOMPARE(name->count(), 57);
        QCOMPARE(name->itemText(56), QStringLiteral("пользовательское название"));
        QCOMPARE(control<QLabel>(&w.form, "LabelSimb1")->text(), QStringLiteral("(макс.8 симв. )"));
        auto* key = control<QLineEdit>(&w.form, "Key96");
        QCOMPARE(key->maxLength(), 12);
        control<UpDown>(&w.form, "KEY")->setPosition(96);  // a key row takes input only when in use
        w.form.pageControl()->setEnabled(true);
        QTest::keyClicks(key, QStringLiteral("ab12cdef3456z"));
        QCOMPARE(key->text(), QStringLiteral("AB12CDEF3456"));
        QCOMPARE(radioItems(&w.form, "MemRazd"), (QStringList{"Вкл.", "Выкл."}));
    }

    void creationSetsBoundsNamesPanelKvAndTheDemoStatus() {
        struct Case {
            SystemVariant variant;
            bool demo;
            QString modeText;
        };
        const Case cases[] = {
            {SystemVariant::Kvm1, true, "  Демо режим для 1 РПУ(КВ-М). Связь с прибором недоступна."},
            {SystemVariant::Kvm4, true, "  Демо режим для 4 РПУ(КВ-М). Связь с прибором недоступна."},
            {SystemVariant::Kv4, true, "  Демо режим для 4 РПУ(КВ). Связь с прибором недоступна."},
            {SystemVariant::Kv4, false, ""},
        };
        for (const Case& c : cases) {
            Window w(c.variant, c.demo);
            w.context.versionMatched = true;
            TL640Form again(w.dialogs, w.context);  // a version code matched for an earlier editor
            QVERIFY(!w.context.versionMatched);

            QCOMPARE(w.form.statusPanel(1)->text(), c.modeText);
            if (c.demo) {
                QCOMPARE(w.form.statusPanel(0)->minimumWidth(), 420);
                QCOMPARE(w.form.statusPanel(0)->maximumWidth(), 420);
            }
            const int bounds[] = {0, 3, 4, 7, 8, 11, 12, 15};
            for (int b = 0; b < 8; ++b)
                QCOMPARE(control<QComboBox>(&w.form, QStringLiteral("Border%1").arg(b + 1))->currentIndex(),
                         bounds[b]);
            QCOMPARE(control<QComboBox>(&w.form, "NameRzd7")->currentIndex(), 0);
            QCOMPARE(find(&w.form, "PanelKV")->isHidden(), c.variant != SystemVariant::Kv4);
            QVERIFY(find(&w.form, "ProgressBar1")->isHidden());
            QVERIFY(!w.form.pageControl()->isEnabled());
        }
    }
};

QTEST_MAIN(L640NamesTest)
#include "l640_names_test.moc"
