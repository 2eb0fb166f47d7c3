// The field rules of the setka editor on the shown window, driven as an installer drives it: typing,
// Tab, clicks and keys. Every box goes through the scripted dialog service.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>

#include "common/kvm_encoding.h"
#include "common/launcher.h"
#include "gui_harness.h"
#include "setka/editor/l640.h"
#include "ui/exit_guard.h"
#include "ui/help_links.h"

using namespace livna;
using namespace livna::setka;
using namespace livna::test;

namespace {

/// A shown demo editor of a variant with factory settings and no box told yet.
struct Editor {
    explicit Editor(SystemVariant variant) : context{.chosenVariant = variant, .demoMode = true} {
        form.setLauncher(launcher);
        form.LayOut(variant);
        form.DefaultButtonClick();
        showWindow(&form);
        dialogs.clear();
    }
    ~Editor() { form.hide(); }

    QWidget* field(const char* name) { return find(&form, QString::fromLatin1(name)); }
    QString text(const char* name) { return control<QLineEdit>(&form, QString::fromLatin1(name))->text(); }
    /// Brings the field's page to the front, gives it the focus and replaces its text by typing.
    void type(const char* name, const QString& typed) {
        QWidget* w = field(name);
        bringPageToFront(w);
        focusIn(w);
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_Delete);
        QTest::keyClicks(w, typed);
    }
    /// type(), then Tab.
    void typeAndTab(const char* name, const QString& typed) {
        type(name, typed);
        QTest::keyClick(field(name), Qt::Key_Tab);
    }
    QStringList texts() {
        QStringList out;
        for (const MessageRequest& m : dialogs.messages()) out << QString::fromStdString(m.text);
        return out;
    }
    QWidget* focused() { return QApplication::focusWidget(); }
    void showPage(const char* page) { bringPageToFront(field(page)); }

    ScriptedDialogService dialogs;
    RecordingLauncher launcher;
    LinkContext context;
    TL640Form form{dialogs, context};
};

const QString kRange58 =
    QStringLiteral("Недопустимое значение! Номер раздела должен быть в интервале от 5 до 8 или 0");

const QString kObjectRangeBox =
    QStringLiteral("Недопустимое значение! Номер объекта должен быть в интервале от 0 до 999");

/// Object fields set as an image sets them, and no loop marked changed.
void showObjects(Editor& e, std::initializer_list<std::pair<const char*, const char*>> objects) {
    for (auto [name, text] : objects)
        control<QLineEdit>(&e.form, QString::fromLatin1(name))->setText(QString::fromLatin1(text));
    e.form.tables().objectChangedBits.fill(0);
}

/// Every box so far has no icon and the application title as caption.
void verifyInformationBoxes(const Editor& e) {
    for (const MessageRequest& m : e.dialogs.messages()) {
        QCOMPARE(m.caption, std::string("setka"));
        QCOMPARE(m.icon, MsgIcon::None);
        QCOMPARE(m.buttons, MsgButtons::Ok);
    }
}

}  // namespace

class L640RulesTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void bindings_everyRefusedFieldOfTheTabIsToldInOrder_theLastKeepsTheFocus() {
        Editor e(SystemVariant::Kvm4);
        control<QLineEdit>(&e.form, "RPD25")->setText(QStringLiteral("9 "));
        e.typeAndTab("RPD23", QStringLiteral("12"));
        QTRY_COMPARE(e.dialogs.messages().size(), std::size_t{2});
        QCOMPARE(e.texts(), (QStringList{kRange58, kRange58}));
        for (const MessageRequest& m : e.dialogs.messages()) {
            QCOMPARE(m.caption, std::string("setka"));
            QCOMPARE(m.icon, MsgIcon::None);
        }
        QTRY_COMPARE(e.focused(), e.field("RPD25"));
        QCOMPARE(e.text("RPD23"), QStringLiteral("0 "));
        QCOMPARE(e.text("RPD25"), QStringLiteral("0 "));

        // 5 in either place and 0 are accepted; the focus moves on without a box.
        e.dialogs.clear();
        for (const QString& typed : {QStringLiteral(" 5"), QStringLiteral("5 "), QStringLiteral("0")}) {
            e.typeAndTab("RPD23", typed);
            QTest::qWait(10);
            QVERIFY2(e.dialogs.messages().empty(), qPrintable(typed));
            QVERIFY(e.focused() != e.field("RPD23"));
        }
    }

    void bindings_receiverOneFollowsTheVariant() {
        Editor one(SystemVariant::Kvm1);
        one.typeAndTab("RPD11", QStringLiteral("17"));
        QTRY_COMPARE(one.texts(),
                     QStringList{"Недопустимое значение! Номер раздела должен быть в интервале от 0 до 16"});
        one.dialogs.clear();
        one.typeAndTab("RPD11", QStringLiteral("16"));
        QTest::qWait(10);
        QVERIFY(one.dialogs.messages().empty());
    }

    void aClickOrF7WhileLeavingARefusedFieldDoesNotAct() {
        Editor e(SystemVariant::Kvm4);
        e.form.statusPanel(0)->clear();
        e.type("RPD23", QStringLiteral("12"));
        click(&e.form, "DefaultButton");
        QTRY_COMPARE(e.texts(), QStringList{kRange58});
        QTRY_COMPARE(e.focused(), e.field("RPD23"));
        QTest::qWait(20);
        QCOMPARE(e.form.statusPanel(0)->text(), QString());

        e.dialogs.clear();
        e.type("RPD23", QStringLiteral("12"));
        QTest::keyClick(e.field("RPD23"), Qt::Key_F7);
        QTRY_COMPARE(e.texts(), QStringList{kRange58});
        QTest::qWait(150);  // the button's animated click is over
        QCOMPARE(e.form.statusPanel(0)->text(), QString());
        QCOMPARE(e.focused(), e.field("RPD23"));

        // A field that is right lets F7 act.
        e.type("RPD23", QStringLiteral("6"));
        QTest::keyClick(e.field("RPD23"), Qt::Key_F7);
        QTRY_COMPARE(e.form.statusPanel(0)->text(), QStringLiteral("Заводские установки выставлены"));
    }

    void bounds_aBoxOnEveryPickThatChangesTheItem_noneFromAnImage() {
        Editor e(SystemVariant::Kvm4);
        e.showPage("GroupBox26");
        chooseCombo(&e.form, "Border3", 2);  // below Border2 (item 3)
        QCOMPARE(control<QComboBox>(&e.form, "Border3")->currentIndex(), 4);
        chooseCombo(&e.form, "Border3", 5);
        QCOMPARE(control<QComboBox>(&e.form, "Border3")->currentIndex(), 5);
        const QString warning = QStringLiteral(
            "Внимание! При смене границ номеров разделов РПУ проверьте привязки извещателей к разделам для "
            "соответствующего РПУ!");
        QCOMPARE(e.texts(), (QStringList{warning, warning}));
        chooseCombo(&e.form, "Border3", 5);  // the item already chosen
        QCOMPARE(e.dialogs.messages().size(), std::size_t{2});
        // Receiver 2 now covers 6..8; its bindings are judged on their next leave.
        e.typeAndTab("RPD21", QStringLiteral("5"));
        QTRY_COMPARE(
            e.texts().last(),
            QStringLiteral("Недопустимое значение! Номер раздела должен быть в интервале от 6 до 8 или 0"));

        e.dialogs.clear();
        SettingsImage image = e.form.tables().defaultSettings;
        image[49 + 2] = 9;
        image[49 + 3] = 10;
        e.form.ApplyImage(image);
        QCOMPARE(control<QComboBox>(&e.form, "Border3")->currentIndex(), 9);
        QVERIFY(e.dialogs.messages().empty());
        chooseCombo(&e.form, "Border3", 9);  // as the image set it: no change
        QVERIFY(e.dialogs.messages().empty());
        // Set without a pick (as a layout would), then picked as it is: no change either.
        control<QComboBox>(&e.form, "Border3")->setCurrentIndex(8);
        QCoreApplication::processEvents();
        chooseCombo(&e.form, "Border3", 8);
        QVERIFY(e.dialogs.messages().empty());
    }

    void systemNumbers_theRepeatIsZeroedWhereItWas_aNumberAbove192IsRefused() {
        Editor e(SystemVariant::Kvm4);
        // The factory settings number the detectors 1..192; these start empty but for RPDI11.
        for (int r = 1; r <= 4; ++r)
            for (int d = 1; d <= 48; ++d)
                control<QLineEdit>(&e.form, QStringLiteral("RPDI%1%2").arg(r).arg(d))
                    ->setText(QStringLiteral("0  "));
        control<QLineEdit>(&e.form, "RPDI11")->setText(QStringLiteral("15 "));
        e.typeAndTab("RPDI21", QStringLiteral("15"));
        QTRY_COMPARE(e.texts(),
                     QStringList{"Повтор системного номера РПДИ! Аналогичный номер есть на вкладке "
                                 "РПУ №1. Он будет занулен."});
        QTRY_COMPARE(e.focused(), e.field("RPDI11"));
        QCOMPARE(e.text("RPDI11"), QStringLiteral("0  "));
        QCOMPARE(e.text("RPDI21"), QStringLiteral("15"));
        QCOMPARE(e.form.tables().systemNumbers[0], 0);
        QCOMPARE(e.form.tables().systemNumbers[48], 15);

        // A save runs the rule as RPDI11's: the later of two equal numbers goes.
        e.dialogs.clear();
        control<QLineEdit>(&e.form, "RPDI11")->setText(QStringLiteral("15 "));
        e.form.RPDIChange();
        QCOMPARE(e.texts(), QStringList{"Повтор системного номера РПДИ! Аналогичный номер есть на вкладке "
                                        "РПУ №2. Он будет занулен."});
        QCOMPARE(e.text("RPDI21"), QStringLiteral("0  "));

        e.dialogs.clear();
        e.typeAndTab("RPDI35", QStringLiteral("200"));
        QTRY_COMPARE(e.texts(),
                     QStringList{"Недопустимое значение! Системный номер РПДИ должен быть в интервале "
                                 "от 1 до 192 или 0"});
        QTRY_COMPARE(e.focused(), e.field("RPDI35"));
        QCOMPARE(e.text("RPDI35"), QStringLiteral("0  "));
        QCOMPARE(e.form.tables().systemNumbers[96 + 4], 0);

        // An accepted leave keeps the table in step and empties read "0  ", without a box.
        e.dialogs.clear();
        control<QLineEdit>(&e.form, "RPDI12")->setText(QString());
        e.typeAndTab("RPDI35", QStringLiteral("192"));
        QTest::qWait(10);
        QVERIFY(e.dialogs.messages().empty());
        QCOMPARE(e.form.tables().systemNumbers[96 + 4], 192);
        QCOMPARE(e.text("RPDI12"), QStringLiteral("0  "));
    }

    void partitionType_onlyTheClickedPartitionChanges() {
        Editor e(SystemVariant::Kvm1);
        e.showPage("Razdel");
        for (const char* name : {"krs3", "tix3", "krs5"}) click(&e.form, name);
        click(&e.form, "ds03");  // fire for partition 3
        QVERIFY(!control<QCheckBox>(&e.form, "krs3")->isChecked());
        QVERIFY(!control<QCheckBox>(&e.form, "krs3")->isEnabled());
        QVERIFY(!control<QCheckBox>(&e.form, "tix3")->isEnabled());
        QVERIFY(control<QCheckBox>(&e.form, "krs5")->isChecked());
        QVERIFY(control<QCheckBox>(&e.form, "krs5")->isEnabled());

        // A click on the type already chosen changes nothing.
        click(&e.form, "krs5");
        click(&e.form, "ds15");
        QVERIFY(
            !control<QCheckBox>(&e.form, "krs5")->isChecked());  // security already: only the click's tick
        click(&e.form, "krs5");
        QVERIFY(control<QCheckBox>(&e.form, "krs5")->isChecked());
        click(&e.form, "ds15");
        QVERIFY(control<QCheckBox>(&e.form, "krs5")->isChecked());
    }

    void relays_eachComboShowsWhatItShowedWhenThePageComesBack() {
        Editor e(SystemVariant::Kvm1);
        auto* relay1 = control<QComboBox>(&e.form, "Rele1Combo");
        auto* relay2 = control<QComboBox>(&e.form, "Rele2Combo");
        auto visitAnotherPage = [&] {
            e.showPage("TabSheetKod");
            e.showPage("TabSheetRazdel");
        };
        e.showPage("TabSheetRazdel");
        chooseCombo(&e.form, "Rele1Combo", QStringLiteral("Звуковой"));
        visitAnotherPage();
        QCOMPARE(relay1->currentText(), QStringLiteral("Звуковой"));

        // Relay 1 holds a mode no item shows; relay 2 is chosen beside it.
        SettingsImage image = e.form.tables().defaultSettings;
        image[22] = 15 + 16 * 2;
        e.form.ApplyImage(image);
        QCOMPARE(relay1->currentIndex(), -1);
        QCOMPARE(relay2->currentText(), QStringLiteral("Исполнительный"));
        visitAnotherPage();
        QCOMPARE(relay1->currentIndex(), -1);
        QCOMPARE(relay2->currentText(), QStringLiteral("Исполнительный"));
        chooseCombo(&e.form, "Rele2Combo", QStringLiteral("Звуковой"));
        visitAnotherPage();
        QCOMPARE(relay1->currentIndex(), -1);
        QCOMPARE(relay2->currentText(), QStringLiteral("Звуковой"));
    }

    void durations_aNumberOutOfRangeGives1_aTextThatIsNoNumberGivesTheUpDownBack() {
        Editor e(SystemVariant::Kvm1);
        e.type("DelayEdit", QStringLiteral("300"));
        QCOMPARE(e.texts(), QStringList{"Диапазон возможных значений от 0 до 254"});
        QCOMPARE(e.text("DelayEdit"), QStringLiteral("1"));
        QCOMPARE(control<UpDown>(&e.form, "Delay")->position(), 1);

        e.dialogs.clear();
        e.type("DelayEdit", QStringLiteral("25"));
        QCOMPARE(control<UpDown>(&e.form, "Delay")->position(), 25);
        QTest::keyClicks(e.field("DelayEdit"), QStringLiteral("x"));
        QCOMPARE(e.dialogs.messages().size(), std::size_t{1});
        QCOMPARE(e.text("DelayEdit"), QStringLiteral("25"));
        QCOMPARE(control<UpDown>(&e.form, "Delay")->position(), 25);

        // The enabling rules switch edit and up-down together.
        e.showPage("TabSheetRazdel");
        click(&e.form, "Keysound3");
        QVERIFY(!e.field("EditTimesound")->isEnabled());
        QVERIFY(!e.field("Timesound")->isEnabled());
    }

    void passwords_zeroIsRemovedWithABox_aShortPasswordIsRefused() {
        Editor e(SystemVariant::Kvm1);
        e.type("PasswordEdit", QStringLiteral("0"));
        QCOMPARE(e.texts(), QStringList{"0 не допустим!"});
        QCOMPARE(e.text("PasswordEdit"), QString());

        e.dialogs.clear();
        e.typeAndTab("PasswordEdit", QStringLiteral("123"));
        QTRY_COMPARE(e.texts(),
                     QStringList{"Недопустимое количество цифр! Количестово цифр в пароле инженера "
                                 "должно быть 4!"});
        QTRY_COMPARE(e.focused(), e.field("PasswordEdit"));

        // A stored digit 0 is removed on apply and told in the apply's one box.
        e.dialogs.clear();
        e.typeAndTab("PasswordEdit", QStringLiteral("1234"));
        SettingsImage image = e.form.tables().defaultSettings;
        for (std::size_t i = 2; i <= 5; ++i) image[i] = encodeDigit(static_cast<int>(i) - 2);  // "0123"
        e.form.ApplyImage(image);
        QCOMPARE(e.text("PasswordEdit"), QStringLiteral("123"));
        QCOMPARE(e.dialogs.messages().size(), std::size_t{1});
        QVERIFY(e.texts().first().contains(QStringLiteral("пароля инженера")));
    }

    void codes_zeroAndOtherCharactersRemoved_codesBeyondTheCountLocked() {
        Editor e(SystemVariant::Kvm1);
        e.type("NumKodEdit", QStringLiteral("2"));
        QCOMPARE(control<UpDown>(&e.form, "KOD")->position(), 2);
        e.type("kod2", QStringLiteral("1a0 5"));
        QCOMPARE(e.texts(), QStringList{"0 не допустим!"});
        QCOMPARE(e.text("kod2"), QStringLiteral("1 5"));
        click(&e.form, "q021");
        QVERIFY(control<QCheckBox>(&e.form, "q021")->isChecked());
        click(&e.form, "kod2");  // a click selects the whole code
        QCOMPARE(control<QLineEdit>(&e.form, "kod2")->selectedText(), QStringLiteral("1 5"));

        e.type("NumKodEdit", QStringLiteral("1"));
        QCOMPARE(e.text("kod2"), QString());
        QVERIFY(!e.field("kod2")->isEnabled());
        QCOMPARE(control<QLineEdit>(&e.form, "kod2")->palette().color(QPalette::Base),
                 TL640Form::rowNotInUseColour());
        QVERIFY(!control<QCheckBox>(&e.form, "q021")->isChecked());
        QVERIFY(!control<QCheckBox>(&e.form, "q021")->isEnabled());
    }

    void keys_shortKeysAskedAbout_keysEndingInFFRefused_pagesFollowTheCount() {
        Editor e(SystemVariant::Kvm1);
        e.type("NumKeyEdit", QStringLiteral("2"));
        e.dialogs.answerNext(MsgAnswer::No);
        e.typeAndTab("Key1", QStringLiteral("12345678ab"));
        QTRY_COMPARE(e.dialogs.messages().size(), std::size_t{1});
        const MessageRequest ask = e.dialogs.messages().front();
        QCOMPARE(ask.caption, std::string("Введен идентификатор малой длины"));
        QCOMPARE(ask.text, std::string("Ввести заново?"));
        QCOMPARE(ask.buttons, MsgButtons::YesNo);
        QCOMPARE(ask.icon, MsgIcon::None);
        QCOMPARE(e.text("Key1"), QStringLiteral("0012345678AB"));

        e.dialogs.clear();
        e.dialogs.answerNext(MsgAnswer::Yes);
        e.typeAndTab("Key2", QStringLiteral("12G-"));
        QTRY_COMPARE(e.dialogs.messages().size(), std::size_t{1});
        QTRY_COMPARE(e.focused(), e.field("Key2"));
        QCOMPARE(e.text("Key2"), QStringLiteral("12"));

        e.dialogs.clear();
        e.typeAndTab("Key2", QStringLiteral("0123456789FF"));
        QTRY_COMPARE(e.texts(), QStringList{keyEndsInFFText(2)});
        QTRY_COMPARE(e.focused(), e.field("Key2"));

        struct PageCase {
            int count;
            bool second;
            bool third;
        };
        for (const PageCase& c :
             {PageCase{33, true, false}, PageCase{64, true, false}, PageCase{65, true, true}}) {
            control<UpDown>(&e.form, "KEY")->setPosition(c.count);
            QCOMPARE(e.form.tabShown("TM3264"), c.second);
            QCOMPARE(e.form.tabShown("TM6496"), c.third);
        }
    }

    void ownName_longerThan8IsCut() {
        Editor e(SystemVariant::Kvm1);
        e.showPage("TabSheetNameRzd");
        chooseCombo(&e.form, "NameRzd4", 56);
        e.typeAndTab("OwnName4", QStringLiteral("Garage 12"));
        QTRY_COMPARE(e.texts(),
                     QStringList{"Внимание, название превышающее 8 символов будет сокращена до 8!!!"});
        QCOMPARE(e.text("OwnName4"), QStringLiteral("Garage 1"));
        QTRY_COMPARE(e.focused(), e.field("OwnName4"));
    }

    void helpAndTheMakersMarksOpenThroughTheLauncher() {
        Editor e(SystemVariant::Kv4);
        click(&e.form, "BitBtn1");
        click(&e.form, "Image1");
        click(&e.form, "Image3");
        QCOMPARE(e.launcher.documents.size(), std::size_t{3});
        QCOMPARE(e.launcher.documents[1], webSiteUrl(QString::fromUtf8(kWebSiteAddress)));
        QCOMPARE(e.launcher.documents[2], e.launcher.documents[1]);
        e.launcher.openSucceeds = false;
        click(&e.form, "Image1");
        QCOMPARE(e.dialogs.messages().size(), std::size_t{1});
    }
    void objects_theRowsNumberProposed_notAfterItsReset() {
        Editor e(SystemVariant::Kv4);
        e.typeAndTab("Object11", QStringLiteral("17"));
        QTRY_COMPARE(e.focused(), e.field("Object21"));
        QCOMPARE(e.text("Object21"), QStringLiteral("17"));
        // Another row proposes nothing.
        const QString shown = e.text("Object12");
        focusIn(e.field("Object12"));
        QCOMPARE(e.text("Object12"), shown);

        e.typeAndTab("Object11", QStringLiteral("17"));
        click(&e.form, "ButtonRPD1");
        QCOMPARE(e.text("Object11"), QStringLiteral("0 "));
        click(e.field("Object31"));
        QCOMPARE(e.text("Object31"), QStringLiteral("0 "));
        QVERIFY(e.dialogs.messages().empty());
    }

    void objects_aRowResetMarksTheLoopsItChanged_theGeneralResetAll() {
        Editor e(SystemVariant::Kv4);
        e.showPage("TabSheet_KV_RPY1");
        showObjects(e, {{"Object31", "5"}, {"Object71", "12 "}, {"Object32", "4"}, {"Object13R2", "4"}});
        click(&e.form, "ButtonRPD1");
        QCOMPARE(e.form.tables().objectChangedBits[0], (1 << 2) | (1 << 6));
        QCOMPARE(e.text("Object32"), QStringLiteral("4"));  // the other rows stay
        e.showPage("TabSheet_KV_RPY2");
        click(&e.form, "ButtonRPY2RPD3");
        QCOMPARE(e.form.tables().objectChangedBits[kRpdsPerReceiver + 2], 1);
        QCOMPARE(e.form.tables().objectChangedBits[1], 0);

        e.form.tables().radioObjects.fill(3);
        click(&e.form, "BitBtn2");
        for (int bits : e.form.tables().objectChangedBits) QCOMPARE(bits, 255);
        for (int value : e.form.tables().radioObjects) QCOMPARE(value, 0);
        QCOMPARE(e.text("Object32"), QStringLiteral("0 "));
        QCOMPARE(e.text("Object824R4"), QStringLiteral("0 "));
    }

    void objects_aRepeatIsRefused_aResetOrF7WhileLeavingDoesNotAct() {
        Editor e(SystemVariant::Kv4);
        e.form.statusPanel(0)->clear();
        showObjects(e, {{"Object13", "5"}, {"Object15", "8"}});
        const QString repeat = QStringLiteral("Повтор номера объекта в РПД №3");
        e.type("Object45", QStringLiteral("5"));
        click(&e.form, "ButtonRPD5");
        QTRY_COMPARE(e.texts(), QStringList{repeat});
        QTRY_COMPARE(e.focused(), e.field("Object45"));
        QCOMPARE(e.text("Object45"), QStringLiteral("0"));  // the number it had on entry
        QCOMPARE(e.text("Object15"), QStringLiteral("8"));  // the reset did not act
        QCOMPARE(e.form.tables().objectChangedBits[4], 0);

        e.type("Object45", QStringLiteral("5"));
        QTest::keyClick(e.field("Object45"), Qt::Key_F7);
        QTRY_COMPARE(e.texts(), (QStringList{repeat, repeat}));
        QTest::qWait(150);
        QCOMPARE(e.form.statusPanel(0)->text(), QString());
        QCOMPARE(e.text("Object13"), QStringLiteral("5"));

        // A field without a number: "0 " and the focus back.
        e.type("Object45", QString());
        QTest::keyClick(e.field("Object45"), Qt::Key_Tab);
        QTRY_COMPARE(e.texts(), (QStringList{repeat, repeat, kObjectRangeBox}));
        QTRY_COMPARE(e.focused(), e.field("Object45"));
        QCOMPARE(e.text("Object45"), QStringLiteral("0 "));
        verifyInformationBoxes(e);

        // Receiver 2 counts over all receivers; the same number twice in one row is accepted.
        e.dialogs.clear();
        showObjects(e, {{"Object15R2", "9"}});
        e.typeAndTab("Object12", QStringLiteral("9"));
        QTRY_COMPARE(e.texts(), QStringList{QStringLiteral("Повтор номера объекта в РПД №29")});
        e.dialogs.clear();
        e.typeAndTab("Object25", QStringLiteral("8"));
        QTest::qWait(10);
        QVERIFY(e.dialogs.messages().empty());
    }

    void objects_aRepeatElsewhereTrapsNoLeave() {
        Editor e(SystemVariant::Kv4);
        showObjects(e, {{"Object11R2", "7"}, {"Object12R2", "7"}});
        e.typeAndTab("Object110", QStringLiteral("3"));
        e.typeAndTab("Object310", QStringLiteral("4"));
        QTest::qWait(10);
        QVERIFY(e.dialogs.messages().empty());
        // Loop 2 was left with the 3 proposed to it.
        QCOMPARE(e.form.tables().objectChangedBits[9], (1 << 0) | (1 << 1) | (1 << 2));
        // Entering one of the pair and leaving it unchanged is no new repeat either.
        e.typeAndTab("Object12R2", QStringLiteral("7"));
        QTest::qWait(10);
        QVERIFY(e.dialogs.messages().empty());
    }

    void objects_aWindowComingBackIsNoEntry() {
        Editor e(SystemVariant::Kv4);
        showObjects(e, {});
        e.type("Object11", QStringLiteral("9"));
        // Another program to the front and back: the field keeps 0 as its entry value.
        QWidget* field = e.field("Object11");
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(field, &away);
        QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(field, &back);
        QTest::keyClick(field, Qt::Key_Tab);
        QTRY_COMPARE(e.form.tables().objectChangedBits[0], 1);
        QCOMPARE(e.form.tables().objectNumbers[0], 9);
    }

    void checks_askWithoutIconAndPutTheRowsBack() {
        Editor e(SystemVariant::Kvm4);
        control<QLineEdit>(&e.form, "NumKodEdit")->setText(QStringLiteral("3"));
        control<QLineEdit>(&e.form, "kod1")->setText(QStringLiteral("123"));
        control<QLineEdit>(&e.form, "kod2")->setText(QStringLiteral("12 3"));
        control<QCheckBox>(&e.form, "q011")->setChecked(true);
        control<QCheckBox>(&e.form, "q022")->setChecked(true);
        control<QCheckBox>(&e.form, "q035")->setChecked(true);
        e.dialogs.answerNext(MsgAnswer::Yes);  // the repeat
        e.dialogs.answerNext(MsgAnswer::No);   // authority without code
        QCOMPARE(e.form.CheckCodes(), -1);
        const std::vector<std::pair<std::string, std::string>> asked{
            {"Удалить?", "Повторяющийся Код!"}, {"Полномочия установлены, а код не введен", "Удалить?"}};
        const std::vector<MessageRequest> messages = e.dialogs.messages();
        QCOMPARE(messages.size(), asked.size());
        for (std::size_t i = 0; i < asked.size(); ++i) {
            const MessageRequest& m = messages[i];
            QCOMPARE((std::pair{m.caption, m.text}), asked[i]);
            QCOMPARE(m.icon, MsgIcon::None);
            QCOMPARE(m.buttons, MsgButtons::YesNo);
            QCOMPARE(m.defaultButton, MsgAnswer::Yes);
        }
        QCOMPARE(e.text("kod2"), QString());
        QVERIFY(!control<QCheckBox>(&e.form, "q022")->isChecked());
        QVERIFY(control<QCheckBox>(&e.form, "q035")->isChecked());

        e.dialogs.clear();
        control<QLineEdit>(&e.form, "NumKeyEdit")->setText(QStringLiteral("2"));
        control<QLineEdit>(&e.form, "Key1")->setText(QStringLiteral("0123456789AB"));
        control<QCheckBox>(&e.form, "qtm021")->setChecked(true);
        e.dialogs.answerNext(MsgAnswer::Yes);
        QCOMPARE(e.form.CheckKeys(), -1);
        QCOMPARE(e.dialogs.messages().size(), std::size_t{1});
        QCOMPARE(e.dialogs.messages()[0].caption, std::string("Идентификатор без полномочий"));
        QCOMPARE(e.text("Key1"), QString());
        QVERIFY(control<QCheckBox>(&e.form, "qtm021")->isChecked());  // not reached
    }

    void removeDuplicateCodes_toldOnTheCodesPage_countRecomputed() {
        Editor e(SystemVariant::Kv4);
        control<QLineEdit>(&e.form, "NumKodEdit")->setText(QStringLiteral("5"));
        const char* codes[] = {"11", "123", "33", "123   ", "      "};
        for (int n = 1; n <= 5; ++n)
            control<QLineEdit>(&e.form, QStringLiteral("kod%1").arg(n))
                ->setText(QString::fromLatin1(codes[n - 1]));
        control<QCheckBox>(&e.form, "q041")->setChecked(true);
        QCOMPARE(e.form.RemoveDuplicateCodes(), 1);
        QCOMPARE(e.texts(), QStringList{QStringLiteral("Поторяющийся Код в позиции №4 будет удален!")});
        verifyInformationBoxes(e);
        QCOMPARE(e.text("NumKodEdit"), QStringLiteral("3"));
        QVERIFY(!e.field("kod4")->isEnabled());
        QVERIFY(e.field("kod3")->isEnabled());
        e.showPage("TabSheetKod");
        e.dialogs.clear();
        QCOMPARE(e.form.RemoveDuplicateCodes(), 1);  // nothing left to remove: no box, the partitions page
        QVERIFY(e.dialogs.messages().empty());
        QVERIFY(!e.field("TabSheetKod")->isVisible());
    }
};

QTEST_MAIN(L640RulesTest)
#include "l640_rules_test.moc"
