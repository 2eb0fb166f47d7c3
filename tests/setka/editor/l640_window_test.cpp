// The setka editor window: its layout per system variant, the order in which showing an image
// sets the partition types and their options, the rule effects of an apply, the one box an apply
// tells, and that the window gathers exactly what the model gathers from the same image.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>

#include "common/kvm_encoding.h"
#include "gui_harness.h"
#include "setka/editor/l640.h"

using namespace livna;
using namespace livna::setka;
using namespace livna::test;

namespace {

constexpr SystemVariant kVariants[] = {SystemVariant::Kvm1, SystemVariant::Kvm4, SystemVariant::Kv4};

/// A demo editor laid out for its variant, as the main window opens it, with factory settings.
struct Editor {
    explicit Editor(SystemVariant variant) : context{.chosenVariant = variant, .demoMode = true} {
        created = form.view();
        form.LayOut(variant);
        form.DefaultButtonClick();
    }
    ScriptedDialogService dialogs;
    LinkContext context;
    TL640Form form{dialogs, context};
    L640View created;  ///< what the controls showed when the window was made
};

/// The same editor without a window: the model's own view, starting from what a new window shows
/// (controls of the other variants keep it), and its tables.
struct Model {
    Model(SystemVariant variant, const L640View& created)
        : context{.chosenVariant = variant, .demoMode = true}, view(created) {
        factorySettings(context, view, tables);
    }
    LinkContext context;
    L640View view;
    L640Tables tables;
    SettingsImage settings() { return std::get<SettingsImage>(gatherImage(context, view, tables)); }
    SettingsImage codes() { return std::get<SettingsImage>(gatherCodes(context, view, tables)); }
};

/// Values everywhere, many of them outside what the controls can show, and every code in use.
struct Dense {
    SettingsImage settings{1024};
    SettingsImage codes{1792};
    Dense() {
        for (std::size_t i = 0; i < settings.size(); ++i)
            settings[i] = static_cast<std::int32_t>((i * 7 + 3) % 256);
        for (std::size_t i : {2, 3, 4, 5, 40, 41, 42, 43, 44, 45, 384, 385, 386, 387, 388, 389})
            settings[i] = encodeDigit(static_cast<int>(i % 9 + 1));
        for (std::size_t k = 0; k < 16; k += 2) settings[256 + k] = 63;  // every other partition: own name
        for (std::size_t i = 0; i < codes.size(); ++i)
            codes[i] = static_cast<std::int32_t>((i * 11 + 5) % 256);
        for (std::size_t n = 0; n < 32; ++n)
            for (std::size_t s = 0; s < 6; ++s)
                codes[8 * n + s] = encodeDigit(static_cast<int>((n + s) % 9 + 1));
    }
};

enum class Check { Tab, Caption, Shown, Enabled, Text };

struct LayoutRow {
    const char* name;
    Check check;
    const char*
        v1;  ///< what variant 1 gives ("1"/"0" for shown and enabled), nullptr: not this variant's row
    const char* v3;
    const char* v5;
};

QString actual(TL640Form& form, const LayoutRow& row) {
    const QString name = QString::fromLatin1(row.name);
    QWidget* w = find(&form, name);
    switch (row.check) {
        case Check::Tab:
            return form.tabShown(name) ? "1" : "0";
        case Check::Caption:
            return form.tabCaption(name);
        case Check::Shown:
            return w->isHidden() ? "0" : "1";
        case Check::Enabled:
            return w->isEnabled() ? "1" : "0";
        case Check::Text:
            if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
            return qobject_cast<QGroupBox*>(w)->title();
    }
    return {};
}

}  // namespace

class L640WindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void layOutFollowsTheVariantTable() {
        const LayoutRow rows[] = {
            {"TabSheetRazdel", Check::Caption, "Параметры разделов", "Параметры разделов",
             "Режимы работы прибора"},
            {"TabSheetKod", Check::Caption, "Редактирование кодов", "Редактирование кодов",
             "Редактирование кодов подтверждения"},
            {"TabSheetPriv", Check::Tab, "1", "1", "0"},
            {"TabSheetKey", Check::Tab, "1", "1", "0"},
            {"TabSheetName", Check::Tab, "0", "0", "1"},
            {"TabSheetName", Check::Caption, nullptr, nullptr, "Назначение в объекты"},
            {"TabSheet_KV_RPY4", Check::Tab, nullptr, nullptr, "1"},
            {"TabSheetNameRzd", Check::Tab, "1", "1", "0"},
            {"TabSheetSysNum", Check::Tab, "0", "1", "0"},
            {"PanelKV", Check::Shown, "0", "0", "1"},
            {"Rele2Combo", Check::Enabled, "1", "1", "0"},
            {"Razdel", Check::Enabled, "1", "1", "0"},
            {"Status_izv", Check::Shown, "1", "1", "0"},
            {"GroupBox8", Check::Shown, "1", "1", "0"},
            {"RPU2", Check::Tab, "0", "1", nullptr},
            {"RPU1", Check::Caption, "РПУ", "РПУ №1", nullptr},
            {"GroupBoxPriv", Check::Text, "Привязки извещателей РПУ Ливна КВМ",
             "Привязки извещателей РПУ Ливна КВМ №1", nullptr},
            {"Iskl16", Check::Shown, "1", "1", nullptr},
            {"ds216", Check::Shown, "1", "1", "0"},
            {"Label1520", Check::Shown, "1", "1", "0"},
            {"GroupBox26", Check::Shown, "0", "1", "0"},
            {"GroupBox36", Check::Shown, "0", "1", nullptr},
            {"TypeLabel", Check::Text, "Тип прибора: Ливна 640-КВМ", "Тип прибора: Ливна 640-КВМ",
             "Тип прибора: Ливна 640-КВ"},
            {"VersionLabel", Check::Text, nullptr, nullptr, "Версия ПО прибора: "},
            {"q3216", Check::Shown, "1", "1", "0"},
            {"Label267", Check::Shown, "1", "1", "0"},
            {"IdBox", Check::Text, nullptr, nullptr, "Коды:"},
        };
        for (SystemVariant variant : kVariants) {
            Editor e(variant);
            for (const LayoutRow& row : rows) {
                const char* want = variant == SystemVariant::Kvm1   ? row.v1
                                   : variant == SystemVariant::Kvm4 ? row.v3
                                                                    : row.v5;
                if (want == nullptr) continue;
                QVERIFY2(actual(e.form, row) == QString::fromUtf8(want),
                         qPrintable(QStringLiteral("variant %1, %2: %3")
                                        .arg(static_cast<int>(variant))
                                        .arg(row.name, actual(e.form, row))));
            }
        }
    }

    void receiverTabsStartBelowTheBoundsOnlyInVariant3() {
        for (SystemVariant variant : {SystemVariant::Kvm1, SystemVariant::Kvm4}) {
            Editor e(variant);
            e.form.pageControl()->setCurrentWidget(
                find(&e.form, "TabSheetPriv")->parentWidget()->parentWidget());
            showWindow(&e.form);
            QCOMPARE(find(&e.form, "PageControlRPU")->y(), variant == SystemVariant::Kvm4 ? 142 : 0);
            // The window fits the smallest screen the installers use.
            QVERIFY(e.form.frameGeometry().width() <= 1024);
            QVERIFY(e.form.frameGeometry().height() <= 768);
            e.form.close();
        }
    }

    void typeComesFirstThenTheOptionsFromTheirBits() {
        Editor e(SystemVariant::Kvm1);
        SettingsImage image = e.form.tables().defaultSettings;
        image[14] = 4 | 16;  // partitions 3 and 5 fire
        image[47] = 4;       // partition 3 also emergency
        image[20] = 4 | 16;  // 24-hour: 3 and 5
        image[16] = 4;       // silent: 3
        e.form.ApplyImage(image);

        QVERIFY(control<QRadioButton>(&e.form, "ds23")->isChecked());
        QVERIFY(!control<QRadioButton>(&e.form, "ds03")->isChecked());
        for (const char* name : {"krs3", "tix3"}) {
            QVERIFY2(control<QCheckBox>(&e.form, name)->isChecked(), name);
            QVERIFY2(control<QCheckBox>(&e.form, name)->isEnabled(), name);
        }
        // A fire partition's options are off limits; the 24-hour bit is still shown as stored.
        QVERIFY(control<QRadioButton>(&e.form, "ds05")->isChecked());
        QVERIFY(control<QCheckBox>(&e.form, "krs5")->isChecked());
        QVERIFY(!control<QCheckBox>(&e.form, "krs5")->isEnabled());
        QVERIFY(!control<QCheckBox>(&e.form, "tix5")->isEnabled());
        QVERIFY(control<QCheckBox>(&e.form, "tix1")->isEnabled());

        // The installer choosing another type clears both options of that partition.
        showWindow(&e.form);
        e.form.pageControl()->setCurrentIndex(0);
        click(&e.form, "ds13");
        for (const char* name : {"krs3", "tix3"}) QVERIFY(!control<QCheckBox>(&e.form, name)->isChecked());
        e.form.close();
    }

    void applyRunsTheRowPageNameAndDurationEffects() {
        Editor e(SystemVariant::Kvm1);
        SettingsImage codes(1792);
        codes.values().assign(1792, 255);
        codes[0] = encodeDigit(4);  // code 1: "4", boxes 1 and 9
        codes[6] = 1;
        codes[7] = 1;
        e.form.setHeldCodes(codes);
        SettingsImage image = e.form.tables().defaultSettings;
        image[23] = 2;        // codes 1, 2 in use; code 2 blank
        image[9] = 40;        // keys 1..40: the second key page
        image[256 + 2] = 63;  // partition 3: own name
        image[30] = 1;        // keypad sounder off
        image[32] = 2;        // backlight automatic
        e.form.ApplyImage(image);

        QCOMPARE(control<QLineEdit>(&e.form, "kod1")->text(), QStringLiteral("4"));
        QVERIFY(control<QCheckBox>(&e.form, "q011")->isChecked());
        QVERIFY(control<QCheckBox>(&e.form, "q019")->isChecked());
        QVERIFY(control<QCheckBox>(&e.form, "q0216")->isEnabled());
        QVERIFY(!control<QCheckBox>(&e.form, "q0216")->isChecked());
        QVERIFY(control<QLineEdit>(&e.form, "kod2")->isEnabled());
        QVERIFY(!control<QLineEdit>(&e.form, "kod3")->isEnabled());
        QVERIFY(!control<QCheckBox>(&e.form, "q031")->isEnabled());
        QCOMPARE(control<QLineEdit>(&e.form, "kod3")->palette().color(QPalette::Base),
                 TL640Form::rowNotInUseColour());
        QVERIFY(control<QLineEdit>(&e.form, "Key40")->isEnabled());
        QVERIFY(!control<QLineEdit>(&e.form, "Key41")->isEnabled());
        QVERIFY(e.form.tabShown("TM3264"));
        QVERIFY(!e.form.tabShown("TM6496"));
        QVERIFY(!find(&e.form, "OwnName3")->isHidden());
        QVERIFY(!find(&e.form, "LabelSimb3")->isHidden());
        QVERIFY(find(&e.form, "OwnName4")->isHidden());
        QVERIFY(!find(&e.form, "EditTimesound")->isEnabled());
        QVERIFY(find(&e.form, "EditTimeLCD")->isEnabled());

        // The counter moved by the installer runs the same effect.
        control<UpDown>(&e.form, "KOD")->setPosition(1);
        QVERIFY(!control<QLineEdit>(&e.form, "kod2")->isEnabled());
        QCOMPARE(control<QLineEdit>(&e.form, "NumKodEdit")->text(), QStringLiteral("1"));
    }

    void variant3ShowsKeysAbove64ReadOnlyAndCarriesThem() {
        Editor e(SystemVariant::Kvm4);
        SettingsImage codes(1792);
        codes.values().assign(1792, 255);
        const std::size_t key70 = 256 + 8 * 69;
        for (std::size_t s = 0; s < 6; ++s) codes[key70 + s] = 0x12;
        codes[key70 + 6] = 3;
        codes[key70 + 7] = 0;
        e.form.setHeldCodes(codes);
        SettingsImage image = e.form.tables().defaultSettings;
        image[9] = 70;
        e.form.ApplyImage(image);
        auto* key = control<QLineEdit>(&e.form, "Key70");
        QCOMPARE(key->text(), QStringLiteral("121212121212"));
        QVERIFY(key->isReadOnly());
        QVERIFY(!control<QCheckBox>(&e.form, "qtm701")->isEnabled());
        QVERIFY(!control<QLineEdit>(&e.form, "Key64")->isReadOnly());
        const auto gathered = e.form.GatherCodes();
        QVERIFY(gathered.has_value());
        for (std::size_t i = 0; i < 8; ++i) QCOMPARE((*gathered)[key70 + i], codes[key70 + i]);
    }

    void oneBoxTellsWhatOneApplyMended() {
        Editor e(SystemVariant::Kvm4);
        e.dialogs.clear();
        SettingsImage image = e.form.tables().defaultSettings;
        image[512] = 7;
        image[600] = 7;
        image[601] = 7;
        e.form.ApplyImage(image);
        const auto messages = e.dialogs.messages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].caption, std::string("setka"));
        QCOMPARE(messages[0].icon, MsgIcon::None);
        QCOMPARE(
            QString::fromStdString(messages[0].text),
            QStringLiteral("Внимание! Существуют повторяющиеся системные номера РПДИ-они будут занулены! "
                           "Рекомендуется сохранить настройки в прибор!"));
        // The box comes after the image is shown.
        QCOMPARE(control<QLineEdit>(&e.form, "RPDI241")->text(), QStringLiteral("0"));
        QCOMPARE(control<QLineEdit>(&e.form, "RPDI242")->text(), QStringLiteral("0"));

        Editor kv(SystemVariant::Kv4);
        kv.dialogs.clear();
        SettingsImage codes = kv.form.tables().heldCodes;
        codes[256 + 2 * 0] = 5;    // loop 1 of РПД 1
        codes[256 + 2 * 16] = 5;   // loop 1 of РПД 3
        codes[256 + 2 * 17] = 9;   // loop 2 of РПД 3
        codes[256 + 2 * 200] = 9;  // РПД 26 (receiver 2, РПД 2)
        kv.form.setHeldCodes(codes);
        kv.form.ApplyImage(kv.form.tables().defaultSettings);
        const auto kvMessages = kv.dialogs.messages();
        QCOMPARE(kvMessages.size(), std::size_t{1});
        const QString text = QString::fromStdString(kvMessages[0].text);
        QVERIFY2(text.contains(QStringLiteral("РПД №1 и РПД №3")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("РПД №3 и РПД №26")), qPrintable(text));
        QCOMPARE(text.count(QLatin1Char('\n')), 1);

        // Factory settings mend nothing and tell nothing.
        kv.dialogs.clear();
        kv.form.DefaultButtonClick();
        QVERIFY(kv.dialogs.messages().empty());
        QCOMPARE(kv.form.statusPanel(0)->text(), QStringLiteral("Заводские установки выставлены"));
    }

    void windowGathersWhatTheModelGathers() {
        for (SystemVariant variant : kVariants) {
            const QString trace = QStringLiteral("variant %1").arg(static_cast<int>(variant));
            Editor e(variant);
            Model m(variant, e.created);
            QVERIFY2(e.form.GatherImage() == m.settings(), qPrintable(trace + " factory settings"));
            QVERIFY2(e.form.GatherCodes() == m.codes(), qPrintable(trace + " factory codes"));

            const Dense dense;
            e.form.setHeldCodes(dense.codes);
            m.tables.heldCodes = dense.codes;
            e.dialogs.clear();
            const ApplyReport report =
                applyImage(dense.settings, ImageSource::Other, m.context, m.view, m.tables);
            e.form.ApplyImage(dense.settings);
            const L640View& shown = e.form.view();
            for (std::size_t k = 0; k < 16; ++k)
                QVERIFY2(shown.kvm.partitions[k] == m.view.kvm.partitions[k],
                         qPrintable(trace + " partition"));
            QVERIFY2(shown.kvm == m.view.kvm, qPrintable(trace + " КВ-М controls"));
            QVERIFY2(shown.kv == m.view.kv, qPrintable(trace + " КВ controls"));
            QVERIFY2(shown.codes == m.view.codes, qPrintable(trace + " codes"));
            QVERIFY2(shown.keys == m.view.keys, qPrintable(trace + " keys"));
            QCOMPARE(shown, m.view);
            QCOMPARE(e.dialogs.messages().size(),
                     std::size_t{report.systemNumbersZeroed || !report.objectRepeats.empty() ? 1u : 0u});
            const auto settings = e.form.GatherImage();
            const auto codes = e.form.GatherCodes();
            QVERIFY2(settings == m.settings(), qPrintable(trace + " dense settings"));
            QVERIFY2(codes == m.codes(), qPrintable(trace + " dense codes"));
            QCOMPARE(e.form.tables().relayByte, m.tables.relayByte);
        }
    }

    void anEngineerPasswordOfThreeDigitsIsRefusedWithABox() {
        Editor e(SystemVariant::Kvm1);
        e.dialogs.clear();
        control<QLineEdit>(&e.form, "PasswordEdit")->setText(QStringLiteral("583"));
        QVERIFY(!e.form.GatherImage().has_value());
        const auto messages = e.dialogs.messages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].caption, std::string("setka"));
        QVERIFY(QString::fromStdString(messages[0].text).contains(QStringLiteral("пароле инженера")));
    }
};

QTEST_MAIN(L640WindowTest)
#include "l640_window_test.moc"
