// The checks that answer the installer's edits in the Ливна-КВ-М editor: the judgements on their
// own, then the shown window driven as an installer drives it (click into a field, type, click
// elsewhere or press Tab), and the guarantees that a refused field never traps the installer.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>

#include "kvm_editor/l640msettingschecks.h"
#include "kvm_editor_fixture.h"
#include "workwindow/work_window.h"

using namespace livna;
using namespace livna::test;

Q_DECLARE_METATYPE(livna::kvm::BindingVerdict)
Q_DECLARE_METATYPE(Qt::FocusReason)

namespace {

constexpr std::size_t kB3 = 768;
const QString kUserPasswordBox =
    QStringLiteral("Недопустимое количество цифр! Количество цифр должно быть от 3 до 6!");
const QString kEngineerPasswordBox =
    QStringLiteral("Недопустимое количество цифр! Количество цифр в пароле инженера должно быть 4!");
const QString kDuressBox = QStringLiteral(
    "Внимание! Коды снятия под принуждением выбираются автоматически путем прибавления к младшему значению "
    "кода пользователя +1 !");
const QString kZeroBox = QStringLiteral("Внимание! 0 недопустим!");

void putCode(SettingsImage& im, int c, const QString& digits) {
    const std::size_t e = 1024 + 8 * static_cast<std::size_t>(c - 1);
    for (std::size_t i = 0; i < 6; ++i)
        im[e + i] = i < static_cast<std::size_t>(digits.size())
                        ? encodeDigit(digits.at(static_cast<qsizetype>(i)).digitValue())
                        : kNone;
}

/// The factory settings with the voice module and the automatic reminder on (so the four times
/// can be edited), four codes (123, 55, none, 7) and four keys in use, duress codes as given.
SettingsImage workImage(bool duress, const QString& code1 = QStringLiteral("123"),
                        const QString& code2 = QStringLiteral("55")) {
    SettingsImage im = factoryImage();
    im[kB3 + 44] = 1;
    im[kB3 + 56] = 1;
    im[kB3] = duress ? 1 : 0;
    im[23] = 4;
    im[22] = 4;
    putCode(im, 1, code1);
    putCode(im, 2, code2);
    putCode(im, 3, QString());
    putCode(im, 4, QStringLiteral("7"));
    return im;
}

/// Lets the checks that a focus change set off give their answer.
void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

/// A left click in the middle of the control (of a check box's indicator and caption) delivered
/// to its window as real input is, so that the window picks the widget under the mouse.
void clickAsUser(QWidget* w) {
    if (!w->isVisible() || !w->isEnabled()) fail(QStringLiteral("%1 cannot be clicked").arg(w->objectName()));
    QPoint at = w->rect().center();
    if (qobject_cast<QCheckBox*>(w) != nullptr) {
        QStyleOptionButton option;
        option.initFrom(w);
        at = w->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, w).center();
    }
    QWidget* top = w->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, w->mapTo(top, at));
}

QString focusName() {
    QWidget* w = QApplication::focusWidget();
    return w == nullptr ? QStringLiteral("(none)") : w->objectName();
}

/// The editor shown and active, showing workImage, on its first page, with no box recorded yet.
struct ShownEditor : EditorFixture {
    explicit ShownEditor(bool duress = false) : ShownEditor(workImage(duress)) {}
    explicit ShownEditor(const SettingsImage& image) {
        showWindow(form.get());
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get()))
            fail(QStringLiteral("the editor did not become active"));
        form->ApplyImage(image);
        // The voice module's page is kept hidden in this editor; its times are reached by showing it.
        QTabWidget* tabs = form->tabs();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == QStringLiteral("Голосовой модуль")) tabs->setTabVisible(i, true);
        fake.dialogs.clear();
    }
    QWidget* field(const QString& name) const { return find(form.get(), name); }
    template <class W>
    W* get(const QString& name) const {
        return control<W>(form.get(), name);
    }

    /// Clicks the tabs of a path ("Редактирование ключей ТМ/Ключ ТМ № 1 - 32") in turn, each
    /// in the tab control that is on screen; fails when one was meant to open and did not.
    void openTab(const QString& path, bool mustOpen = true) {
        for (const QString& caption : path.split(u'/')) {
            bool clicked = false;
            for (QTabWidget* tabs : form->findChildren<QTabWidget*>()) {
                QTabBar* bar = tabs->tabBar();
                if (!bar->isVisible()) continue;
                for (int i = 0; i < tabs->count() && !clicked; ++i) {
                    if (tabs->tabText(i) != caption || !tabs->isTabVisible(i)) continue;
                    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(i).center());
                    settle();
                    if (mustOpen && tabs->currentIndex() != i)
                        fail(QStringLiteral("the tab %1 did not open").arg(caption));
                    clicked = true;
                }
                if (clicked) break;
            }
            if (!clicked) fail(QStringLiteral("no tab %1 on screen").arg(caption));
        }
    }
    /// Clicks into the field and types the text over what it holds (an empty text clears it).
    void typeOver(const QString& name, const QString& text) {
        QWidget* f = field(name);
        clickAsUser(f);
        settle();
        if (QApplication::focusWidget() != f) fail(QStringLiteral("%1 did not take the focus").arg(name));
        QTest::keyClick(f, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(f, Qt::Key_Delete);
        else
            QTest::keyClicks(f, text);
    }
    /// Leaves the focused field by clicking the named control, and lets the checks answer.
    void clickOn(const QString& name) {
        clickAsUser(field(name));
        settle();
    }
    /// Leaves the focused field with Tab.
    void tab() {
        QWidget* f = QApplication::focusWidget();
        if (f == nullptr) fail(QStringLiteral("nothing has the focus to press Tab in"));
        pressKey(f, Qt::Key_Tab);
        settle();
    }
    QString text(const QString& name) const { return get<QLineEdit>(name)->text(); }
};

}  // namespace

class KvmChecksTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    // ---- the judgements ---------------------------------------------------------------------

    void passwordDigits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("user");
        QTest::addColumn<int>("engineer");
        QTest::newRow("empty") << "" << 0 << 0;
        QTest::newRow("two digits and four spaces") << "12    " << 2 << 2;
        QTest::newRow("three digits") << "123" << 3 << 3;
        QTest::newRow("digits apart") << "1 2 3 " << 3 << 2;
        QTest::newRow("a zero does not count for the user") << "1023" << 3 << 4;
        QTest::newRow("six digits") << "987654" << 6 << 4;
        QTest::newRow("beyond the positions") << "      1234" << 0 << 0;
        QTest::newRow("engineer: a blank inside") << "53 6" << 3 << 3;
    }
    void passwordDigits() {
        QFETCH(QString, text);
        QFETCH(int, user);
        QFETCH(int, engineer);
        QCOMPARE(kvm::userPasswordDigits(text), user);
        QCOMPARE(kvm::engineerPasswordDigits(text), engineer);
    }

    void judgeBinding_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<kvm::BindingVerdict>("verdict");
        QTest::newRow("x") << "x" << kvm::BindingVerdict::NotANumber;
        QTest::newRow("empty") << "" << kvm::BindingVerdict::NotANumber;
        QTest::newRow("1x") << "1x" << kvm::BindingVerdict::NotANumber;
        QTest::newRow("0") << "0" << kvm::BindingVerdict::OutOfRange;
        QTest::newRow("17") << "17" << kvm::BindingVerdict::OutOfRange;
        QTest::newRow("-1") << "-1" << kvm::BindingVerdict::OutOfRange;
        QTest::newRow("16") << "16" << kvm::BindingVerdict::Valid;
        QTest::newRow("1") << "1" << kvm::BindingVerdict::Valid;
        QTest::newRow("blank before") << " 5" << kvm::BindingVerdict::Valid;
    }
    void judgeBinding() {
        QFETCH(QString, text);
        QFETCH(kvm::BindingVerdict, verdict);
        QCOMPARE(kvm::judgeBinding(text), verdict);
    }

    void exitChecks_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leaveTo");
        QTest::addColumn<bool>("answerNo");
        QTest::addColumn<QStringList>("boxes");  // each box's text, or a part of it
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("textAfter");
        QTest::addColumn<bool>("back");
        const QString main = QStringLiteral("Главная");
        const QString sys = QString::fromUtf8(kCaptionSystemMessage);
        const QString plain = QString::fromUtf8(kApplicationTitle);
        const QString range = QStringLiteral("Допустимый диапазон 00:00 - 24:00");
        const QString voice = QStringLiteral("Голосовой модуль");
        const QString bindings = QStringLiteral("Привязки извещателей к разделам/РПДИ 5-52");
        const QString keys = QStringLiteral("Редактирование ключей ТМ/Ключ ТМ № 1 - 32");

        QTest::newRow("user password, two digits and four spaces")
            << main << "PasswordEdit2"
            << "12    "
            << "PasswordEdit" << false << QStringList{kUserPasswordBox} << sys << "12    " << true;
        QTest::newRow("user password, two digits, Tab")
            << main << "PasswordEdit2"
            << "12"
            << "Tab" << false << QStringList{kUserPasswordBox} << sys << "12" << true;
        QTest::newRow("user password, emptied")
            << main << "PasswordEdit2"
            << ""
            << "PasswordEdit" << false << QStringList{kUserPasswordBox} << sys << "" << true;
        QTest::newRow("user password, three digits") << main << "PasswordEdit2"
                                                     << "123"
                                                     << "PasswordEdit" << false << QStringList{} << ""
                                                     << "123" << false;
        QTest::newRow("user password, digits apart") << main << "PasswordEdit2"
                                                     << "1 2 3"
                                                     << "PasswordEdit" << false << QStringList{} << ""
                                                     << "1 2 3" << false;
        QTest::newRow("engineer password, three digits")
            << main << "PasswordEdit"
            << "536"
            << "PasswordEdit2" << false << QStringList{kEngineerPasswordBox} << sys << "536" << true;
        QTest::newRow("engineer password, a blank inside")
            << main << "PasswordEdit"
            << "53 6"
            << "PasswordEdit2" << false << QStringList{kEngineerPasswordBox} << sys << "53 6" << true;
        QTest::newRow("engineer password, four digits") << main << "PasswordEdit"
                                                        << "5364"
                                                        << "Tab" << false << QStringList{} << ""
                                                        << "5364" << false;

        QTest::newRow("time 25:00") << voice << "SilenceStart"
                                    << "2500"
                                    << "SilenceStop" << false << QStringList{"25:00", range} << plain
                                    << "25:00" << true;
        QTest::newRow("time 12:60") << voice << "SilenceStop"
                                    << "1260"
                                    << "SilenceStart" << false << QStringList{"12:60", range} << plain
                                    << "12:60" << true;
        QTest::newRow("time 24:00") << voice << "TimeReminder"
                                    << "2400"
                                    << "SilenceStart" << false << QStringList{} << ""
                                    << "24:00" << false;
        QTest::newRow("time with a blank place") << voice << "TimeReminder1"
                                                 << "2"
                                                 << "SilenceStart" << false << QStringList{} << ""
                                                 << "2:" << false;

        QTest::newRow("binding x") << bindings << "RPD11"
                                   << "x"
                                   << "RPD12" << false << QStringList{"недопустимо", "от 1 до 16"} << plain
                                   << "1" << false;
        QTest::newRow("binding 0") << bindings << "RPD11"
                                   << "0"
                                   << "RPD12" << false << QStringList{"от 1 до 16"} << plain << "1" << true;
        QTest::newRow("binding 17") << bindings << "RPD148"
                                    << "17"
                                    << "RPD11" << false << QStringList{"от 1 до 16"} << plain << "1" << true;
        QTest::newRow("binding 16") << bindings << "RPD11"
                                    << "16"
                                    << "RPD12" << false << QStringList{} << ""
                                    << "16" << false;

        QTest::newRow("key of four, answered No")
            << keys << "Key1"
            << "12AB"
            << "Key2" << true << QStringList{"Ключ ТМ 1", "4 из 12"} << sys << "0000000012AB" << false;
        QTest::newRow("key of four, answered Yes")
            << keys << "Key2"
            << "12AB"
            << "Key1" << false << QStringList{"Ключ ТМ 2", "4 из 12"} << sys << "12AB" << true;
        QTest::newRow("key of twelve") << keys << "Key1"
                                       << "0123456789AB"
                                       << "Key2" << false << QStringList{} << ""
                                       << "0123456789AB" << false;
        // Stored with None first, such a key reads back as no key and is lost at the next write.
        QTest::newRow("key ending FF") << keys << "Key1"
                                       << "0123456789FF"
                                       << "Key2" << false << QStringList{"Ключ ТМ 1", "оканчиваться на FF"}
                                       << sys << "0123456789FF" << true;
        QTest::newRow("key ending ff, typed in lower case")
            << keys << "Key3"
            << "0123456789ff"
            << "Key2" << false << QStringList{"Ключ ТМ 3", "оканчиваться на FF"} << sys << "0123456789FF"
            << true;
        QTest::newRow("key starting FF") << keys << "Key1"
                                         << "FF0123456789"
                                         << "Key2" << false << QStringList{} << ""
                                         << "FF0123456789" << false;
        QTest::newRow("key emptied") << keys << "Key1"
                                     << ""
                                     << "Tab" << false << QStringList{} << ""
                                     << "" << false;
    }
    void exitChecks() {
        QFETCH(QString, page);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, leaveTo);
        QFETCH(bool, answerNo);
        QFETCH(QStringList, boxes);
        QFETCH(QString, caption);
        QFETCH(QString, textAfter);
        QFETCH(bool, back);
        ShownEditor e;
        e.openTab(page);
        e.typeOver(field, typed);
        QVERIFY2(e.fake.dialogs.messages().empty(),
                 qPrintable(e.messageTexts().join(" | ")));  // typing says nothing
        if (answerNo) e.fake.dialogs.answerNext(MsgAnswer::No);
        if (leaveTo == QStringLiteral("Tab"))
            e.tab();
        else
            e.clickOn(leaveTo);

        const auto shown = e.fake.dialogs.messages();
        QCOMPARE(shown.size(), std::size_t(boxes.isEmpty() ? 0 : 1));
        if (!boxes.isEmpty()) {
            const QString told = QString::fromStdString(shown.front().text);
            for (const QString& part : boxes) QVERIFY2(told.contains(part), qPrintable(told));
            QCOMPARE(QString::fromStdString(shown.front().caption), caption);
            const bool question = shown.front().buttons == MsgButtons::YesNo;
            const bool plainBox = caption == QString::fromUtf8(kApplicationTitle);
            QCOMPARE(shown.front().icon, question   ? MsgIcon::Question
                                         : plainBox ? MsgIcon::None
                                                    : MsgIcon::Warning);
        }
        QWidget* f = e.field(field);
        QCOMPARE(qobject_cast<QLineEdit*>(f)->displayText().remove(u'_'), textAfter);
        if (back) {
            QCOMPARE(focusName(), field);
            QCOMPARE(qobject_cast<QLineEdit*>(f)->selectedText(), qobject_cast<QLineEdit*>(f)->text());
        } else {
            QVERIFY2(focusName() != field, qPrintable(focusName()));
            if (leaveTo != QStringLiteral("Tab")) QCOMPARE(focusName(), leaveTo);
        }
    }

    // An unbound detector (0 from the panel) stays unbound when the focus only passes its field;
    // a 0 typed over it is refused as any other.
    void binding_untouchedZero_isLeftAlone() {
        SettingsImage im = workImage(false);
        im[64] = 0;
        im[65] = 0;
        ShownEditor e(im);
        e.openTab(QStringLiteral("Привязки извещателей к разделам/РПДИ 5-52"));
        e.clickOn(QStringLiteral("RPD11"));
        e.tab();
        e.clickOn(QStringLiteral("RPD13"));
        QVERIFY2(e.fake.dialogs.messages().empty(), qPrintable(e.messageTexts().join(" | ")));
        QCOMPARE(e.text("RPD11"), QStringLiteral("0"));
        QCOMPARE(e.text("RPD12"), QStringLiteral("0"));
        QCOMPARE(e.gather()[64], 0);
        QCOMPARE(e.gather()[65], 0);
        e.typeOver(QStringLiteral("RPD12"), QStringLiteral("0"));
        e.clickOn(QStringLiteral("RPD11"));
        QCOMPARE(e.messageTexts().size(), 1);
        QCOMPARE(e.text("RPD12"), QStringLiteral("1"));
        QCOMPARE(focusName(), QStringLiteral("RPD12"));
    }

    void userPassword_zeroTyped_leavesTheOtherDigitsWithOneWarning_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::addColumn<int>("warnings");
        QTest::newRow("user, zero in the middle") << "PasswordEdit2"
                                                  << "102"
                                                  << "12" << 1;
        QTest::newRow("user, two zeros") << "PasswordEdit2"
                                         << "0120"
                                         << "12" << 2;
        QTest::newRow("engineer, zero at the end") << "PasswordEdit"
                                                   << "5360"
                                                   << "536" << 1;
    }
    void userPassword_zeroTyped_leavesTheOtherDigitsWithOneWarning() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, left);
        QFETCH(int, warnings);
        ShownEditor e;
        e.typeOver(field, typed);
        QCOMPARE(e.text(field), left);
        QCOMPARE(e.messageTexts(), QStringList(warnings, kZeroBox));
    }

    // ---- codes and duress codes -----------------------------------------------------------------

    void codeExit_neighbouringCodes_conflictOnLeavingEither_data() {
        QTest::addColumn<bool>("duress");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("named");  // the other code the box names, empty = no box
        QTest::newRow("used, leaving the lower") << true << "kod1"
                                                 << "2";
        QTest::newRow("used, leaving the higher") << true << "kod2"
                                                  << "1";
        QTest::newRow("used, leaving a code far from both") << true << "kod4"
                                                            << "";
        QTest::newRow("not used, leaving the lower") << false << "kod1"
                                                     << "";
        QTest::newRow("not used, leaving the higher") << false << "kod2"
                                                      << "";
    }
    void codeExit_neighbouringCodes_conflictOnLeavingEither() {
        QFETCH(bool, duress);
        QFETCH(QString, left);
        QFETCH(QString, named);
        ShownEditor e(workImage(duress, QStringLiteral("123"), QStringLiteral("124")));
        QVERIFY2(e.fake.dialogs.messages().empty(), "showing the image checks no code");
        e.openTab(QStringLiteral("Редактирование кодов"));
        e.clickOn(left);
        const QString other =
            left == QStringLiteral("kod4") ? QStringLiteral("kod1") : QStringLiteral("kod4");
        e.clickOn(other);
        const auto shown = e.fake.dialogs.messages();
        if (named.isEmpty()) {
            QVERIFY2(shown.empty(), qPrintable(e.messageTexts().join(" | ")));
            QCOMPARE(focusName(), other);
            return;
        }
        QCOMPARE(shown.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(shown.front().caption), QString::fromUtf8(kApplicationTitle));
        QCOMPARE(shown.front().icon, MsgIcon::None);
        QVERIFY2(e.lastMessage().contains(QStringLiteral("конфликтует с кодом %1 ").arg(named)),
                 qPrintable(e.lastMessage()));
        QCOMPARE(focusName(), left);
    }

    void codeExit_typedValues_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("named");  // in order, one box each
        // Codes 1 = 123, 2 = 125, 4 = 7; code 3 is typed.
        QTest::newRow("one below code 1") << "122" << QStringList{"1"};
        QTest::newRow("one above code 2") << "126" << QStringList{"2"};
        QTest::newRow("between both") << "124" << QStringList{"1", "2"};
        QTest::newRow("inner blanks do not split") << "12 2" << QStringList{"1"};
        QTest::newRow("next to the one-digit code") << "8" << QStringList{"4"};
        QTest::newRow("far from all") << "555" << QStringList{};
    }
    void codeExit_typedValues() {
        QFETCH(QString, typed);
        QFETCH(QStringList, named);
        ShownEditor e(workImage(true, QStringLiteral("123"), QStringLiteral("125")));
        e.openTab(QStringLiteral("Редактирование кодов"));
        e.typeOver(QStringLiteral("kod3"), typed);
        e.clickOn(QStringLiteral("kod4"));
        const QStringList told = e.messageTexts();
        QCOMPARE(told.size(), named.size());
        for (qsizetype i = 0; i < named.size(); ++i)
            QVERIFY2(told[i].contains(QStringLiteral("конфликтует с кодом %1 ").arg(named[i])),
                     qPrintable(told[i]));
        QCOMPARE(focusName(), named.isEmpty() ? QStringLiteral("kod4") : QStringLiteral("kod3"));
        // The two cases read differently: code 3 as the duress code of the other, or the other way.
        if (named.size() == 2) QVERIFY(told[0].section(u':', 1) != told[1].section(u':', 1));
    }

    void duressCodes_chosen_warnThenCheckCode1_data() {
        QTest::addColumn<int>("codes");
        QTest::addColumn<QString>("code2");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("focus");
        QTest::newRow("code 2 is code 1 + 1")
            << 4 << "124" << QStringList{kDuressBox, "конфликтует с кодом 2 "} << "kod1";
        QTest::newRow("no conflict") << 4 << "55" << QStringList{kDuressBox} << "";
        QTest::newRow("no codes in use") << 0 << "124" << QStringList{kDuressBox} << "";
    }
    void duressCodes_chosen_warnThenCheckCode1() {
        QFETCH(int, codes);
        QFETCH(QString, code2);
        QFETCH(QStringList, boxes);
        QFETCH(QString, focus);
        SettingsImage im = workImage(false, QStringLiteral("123"), code2);
        im[23] = codes;
        ShownEditor e(im);
        e.openTab(QStringLiteral("Редактирование кодов"));
        chooseRadio(e.form.get(), "ViolenceCode", 1);  // "Используются"
        settle();
        const QStringList told = e.messageTexts();
        QCOMPARE(told.size(), boxes.size());
        QCOMPARE(told.front(), kDuressBox);
        QCOMPARE(QString::fromStdString(e.fake.dialogs.messages().front().caption),
                 QString::fromUtf8(kCaptionSystemMessage));
        QCOMPARE(e.fake.dialogs.messages().front().icon, MsgIcon::Warning);
        for (qsizetype i = 1; i < boxes.size(); ++i)
            QVERIFY2(told[i].contains(boxes[i]), qPrintable(told[i]));
        if (!focus.isEmpty()) QCOMPARE(focusName(), focus);
        if (!focus.isEmpty()) return;  // leaving code 1 now would rightly be refused
        // Choosing it again changes nothing and says nothing; going back says nothing either.
        e.fake.dialogs.clear();
        chooseRadio(e.form.get(), "ViolenceCode", 1);
        chooseRadio(e.form.get(), "ViolenceCode", 0);
        settle();
        QVERIFY2(e.fake.dialogs.messages().empty(), qPrintable(e.messageTexts().join(" | ")));
    }

    void duressCodes_setByTheImage_sayNothing() {
        ShownEditor e(workImage(false, QStringLiteral("123"), QStringLiteral("124")));
        e.form->ApplyImage(workImage(true, QStringLiteral("123"), QStringLiteral("124")));
        settle();
        QCOMPARE(checkedRadio(e.form.get(), "ViolenceCode"), 1);
        QVERIFY2(e.fake.dialogs.messages().empty(), qPrintable(e.messageTexts().join(" | ")));
    }

    void codeEntry_keepsDigitsOneToNineAndBlanks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::addColumn<int>("zeroBoxes");
        QTest::newRow("a zero") << "1203"
                                << "123" << 1;
        QTest::newRow("two zeros") << "0450"
                                   << "45" << 2;
        QTest::newRow("letters and signs") << "1a2-3"
                                           << "123" << 0;
        QTest::newRow("blanks stay") << "1 2"
                                     << "1 2" << 0;
    }
    void codeEntry_keepsDigitsOneToNineAndBlanks() {
        QFETCH(QString, typed);
        QFETCH(QString, left);
        QFETCH(int, zeroBoxes);
        ShownEditor e;
        e.openTab(QStringLiteral("Редактирование кодов"));
        e.typeOver(QStringLiteral("kod3"), typed);
        QCOMPARE(e.text("kod3"), left);
        const auto shown = e.fake.dialogs.messages();
        QCOMPARE(static_cast<int>(shown.size()), zeroBoxes);
        for (const MessageRequest& box : shown) {
            QCOMPARE(QString::fromStdString(box.caption), QString::fromUtf8(kApplicationTitle));
            QCOMPARE(box.icon, MsgIcon::None);
            QVERIFY2(QString::fromStdString(box.text).contains(QStringLiteral("0")), box.text.c_str());
        }
        // Typing on after the correction goes where the installer left off.
        QTest::keyClicks(e.field("kod3"), "9");
        QCOMPARE(e.text("kod3"), left + u'9');
    }

    void keyEntry_keepsUpperCaseHexDigits_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::newRow("lower-case hex letters show in upper case") << "ab12"
                                                                   << "AB12";
        QTest::newRow("letters beyond F and signs") << "1g2-Z3!"
                                                    << "123";
        QTest::newRow("twelve hex digits") << "0123456789ab"
                                           << "0123456789AB";
    }
    void keyEntry_keepsUpperCaseHexDigits() {
        QFETCH(QString, typed);
        QFETCH(QString, left);
        ShownEditor e;
        e.openTab(QStringLiteral("Редактирование ключей ТМ"));
        e.typeOver(QStringLiteral("Key3"), typed);
        QCOMPARE(e.text("Key3"), left);
        QVERIFY2(e.fake.dialogs.messages().empty(), qPrintable(e.messageTexts().join(" | ")));
    }

    void selectOnClick_selectsTheWholeCodeOrKey_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("code") << "Редактирование кодов"
                              << "kod1"
                              << "123";
        QTest::newRow("key") << "Редактирование ключей ТМ"
                             << "Key1"
                             << "0123456789AB";
    }
    void selectOnClick_selectsTheWholeCodeOrKey() {
        QFETCH(QString, page);
        QFETCH(QString, field);
        QFETCH(QString, text);
        ShownEditor e;
        e.openTab(page);
        e.typeOver(field, text);
        e.get<QLineEdit>(field)->deselect();
        QTest::mouseClick(e.field(field), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        QCOMPARE(e.get<QLineEdit>(field)->selectedText(), text);
    }

    // ---- partition names --------------------------------------------------------------------

    void nameChoice_showsAndHidesOwnNameKeepingItsText() {
        ShownEditor e;
        e.openTab(QStringLiteral("Параметры разделов"));
        auto* ownName = e.get<QLineEdit>("OwnName3");
        auto* label = e.get<QLabel>("LabelSimb3");
        chooseCombo(e.form.get(), "NameRzd3", kOwnNameItem);
        QVERIFY(ownName->isVisible());
        QVERIFY(label->isVisible());
        e.typeOver(QStringLiteral("OwnName3"), QStringLiteral("Sklad 7"));
        chooseCombo(e.form.get(), "NameRzd3", 4);
        QVERIFY(!ownName->isVisible());
        QVERIFY(!label->isVisible());
        chooseCombo(e.form.get(), "NameRzd3", kOwnNameItem);
        QVERIFY(ownName->isVisible());
        QCOMPARE(ownName->text(), QStringLiteral("Sklad 7"));
        QCOMPARE(e.gather()[255 + 3], kOwnNameValue);
    }

    // ---- the installer is never trapped ---------------------------------------------------------

    // Two refused fields: leaving one for the other gives that one's box only and the focus comes
    // back to it; the other says nothing until it is itself left.
    void twoInvalidFields_noBackAndForth_data() {
        QTest::addColumn<bool>("byTab");
        QTest::newRow("by clicking the other") << false;
        QTest::newRow("by Tab") << true;
    }
    void twoInvalidFields_noBackAndForth() {
        QFETCH(bool, byTab);
        ShownEditor e;
        e.openTab(QStringLiteral("Голосовой модуль"));
        e.get<QLineEdit>("SilenceStop")->setText(QStringLiteral("12:60"));  // as an image could leave it
        e.typeOver(QStringLiteral("SilenceStart"), QStringLiteral("2500"));
        // The field after SilenceStart in the Tab order is SilenceStop.
        if (byTab)
            e.tab();
        else
            e.clickOn(QStringLiteral("SilenceStop"));
        QCOMPARE(e.messageTexts().size(), 1);
        QVERIFY2(e.lastMessage().contains(QStringLiteral("25:00")), qPrintable(e.lastMessage()));
        QCOMPARE(focusName(), QStringLiteral("SilenceStart"));
        settle();
        QCOMPARE(e.messageTexts().size(), 1);

        // Fixed, it lets the installer go; now the other one is left, and only it answers.
        e.typeOver(QStringLiteral("SilenceStart"), QStringLiteral("2300"));
        e.clickOn(QStringLiteral("SilenceStop"));
        QCOMPARE(e.messageTexts().size(), 1);
        QCOMPARE(focusName(), QStringLiteral("SilenceStop"));
        e.clickOn(QStringLiteral("SilenceStart"));
        QCOMPARE(e.messageTexts().size(), 2);
        QVERIFY2(e.lastMessage().contains(QStringLiteral("12:60")), qPrintable(e.lastMessage()));
        QCOMPARE(focusName(), QStringLiteral("SilenceStop"));
    }

    // A click that leaves a refused field does not act; once the field is right, it does.
    void clickWhileLeavingInvalidField_isHeldBack_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("push button") << "SaveBitBtn";
        QTest::newRow("check box") << "L640bakChB";
        QTest::newRow("combo box") << "OperatingModeCmB";
    }
    void clickWhileLeavingInvalidField_isHeldBack() {
        QFETCH(QString, target);
        ShownEditor e;
        QWidget* w = e.field(target);
        auto* box = qobject_cast<QCheckBox*>(w);
        auto* combo = qobject_cast<QComboBox*>(w);
        const bool ticked = box != nullptr && box->isChecked();
        auto acted = [&] {
            if (box != nullptr) return box->isChecked() != ticked;
            if (combo != nullptr) return combo->view()->isVisible();
            for (const auto& call : e.fake.dialogs.calls())
                if (call.kind == ScriptedDialogService::Kind::Save) return true;
            return false;
        };
        e.typeOver(QStringLiteral("PasswordEdit2"), QStringLiteral("12"));
        e.clickOn(target);
        QCOMPARE(e.messageTexts(), QStringList{kUserPasswordBox});
        QCOMPARE(focusName(), QStringLiteral("PasswordEdit2"));
        QVERIFY2(!acted(), qPrintable(target + " acted"));
        if (auto* button = qobject_cast<QPushButton*>(w)) QVERIFY(!button->isDown());

        e.typeOver(QStringLiteral("PasswordEdit2"), QStringLiteral("123"));
        e.clickOn(target);
        QVERIFY2(acted(), qPrintable(target + " did not act once the field was right"));
        QCOMPARE(e.messageTexts(), QStringList{kUserPasswordBox});
        if (combo != nullptr) combo->hidePopup();
    }

    // A window left inactive (as a box may leave it without a window manager) gets a click: Qt
    // moves its focus without telling, so the click itself counts as leaving the focused field.
    void clickOnInactiveWindow_leavingInvalidField_isHeldBack_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("refused");
        QTest::newRow("short password, button") << "12"
                                                << "SaveBitBtn" << true;
        QTest::newRow("short password, a click into it") << "12"
                                                         << "PasswordEdit2" << false;
        QTest::newRow("password right, button") << "123"
                                                << "SaveBitBtn" << false;
    }
    void clickOnInactiveWindow_leavingInvalidField_isHeldBack() {
        QFETCH(QString, typed);
        QFETCH(QString, target);
        QFETCH(bool, refused);
        ShownEditor e;
        e.typeOver(QStringLiteral("PasswordEdit2"), typed);
        QWidget other;
        other.setObjectName(QStringLiteral("other"));
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!e.form->isActiveWindow());
        QCOMPARE(e.form->focusWidget()->objectName(), QStringLiteral("PasswordEdit2"));

        e.clickOn(target);
        bool saveAsked = false;
        for (const auto& call : e.fake.dialogs.calls())
            saveAsked |= call.kind == ScriptedDialogService::Kind::Save;
        QCOMPARE(e.messageTexts(), refused ? QStringList{kUserPasswordBox} : QStringList{});
        QCOMPARE(saveAsked, !refused && target == QStringLiteral("SaveBitBtn"));
        if (refused) {
            QTRY_VERIFY(e.form->isActiveWindow());  // back in the window, in the field
            QCOMPARE(focusName(), QStringLiteral("PasswordEdit2"));
        }
        other.hide();
    }

    // Leaving a refused field for a page of another tab brings its page back with the focus.
    void tabClickedWhileLeavingInvalidField_bringsTheFieldBack() {
        ShownEditor e;
        e.openTab(QStringLiteral("Редактирование ключей ТМ"));
        e.typeOver(QStringLiteral("Key3"), QStringLiteral("ABC"));
        e.openTab(QStringLiteral("Главная"), false);  // answered Yes: back to the key
        QCOMPARE(e.fake.dialogs.messages().size(), std::size_t{1});
        QCOMPARE(e.form->tabs()->tabText(e.form->tabs()->currentIndex()),
                 QStringLiteral("Редактирование ключей ТМ"));
        QCOMPARE(focusName(), QStringLiteral("Key3"));
        QCOMPARE(e.text("Key3"), QStringLiteral("ABC"));
    }

    // Only leaving counts: focus taken by another window or a popup is no leave.
    void exitCheck_onlyOnRealLeaves_data() {
        QTest::addColumn<Qt::FocusReason>("reason");
        QTest::addColumn<int>("boxes");
        QTest::newRow("mouse") << Qt::MouseFocusReason << 1;
        QTest::newRow("Tab") << Qt::TabFocusReason << 1;
        QTest::newRow("Backtab") << Qt::BacktabFocusReason << 1;
        QTest::newRow("shortcut") << Qt::ShortcutFocusReason << 1;
        QTest::newRow("program") << Qt::OtherFocusReason << 1;
        QTest::newRow("another window activated") << Qt::ActiveWindowFocusReason << 0;
        QTest::newRow("popup") << Qt::PopupFocusReason << 0;
        QTest::newRow("menu bar") << Qt::MenuBarFocusReason << 0;
    }
    void exitCheck_onlyOnRealLeaves() {
        QFETCH(Qt::FocusReason, reason);
        QFETCH(int, boxes);
        QCOMPARE(ExitGuard::isLeave(reason), boxes == 1);
        ShownEditor e;
        e.typeOver(QStringLiteral("PasswordEdit2"), QStringLiteral("12"));
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(e.field("PasswordEdit2"), &out);
        settle();
        QCOMPARE(e.messageTexts().size(), boxes);
    }

    // With boxes that take the focus as real ones do (another window becomes active while the box
    // is up, and the editor gets it back), each leave still gives one box, and the focus ends on
    // the refused field.
    void boxesTakingTheFocus_oneBoxPerLeave() {
        EditorFixture files;
        FocusTakingDialogs dialogs;
        RecordingLauncher launcher;
        WizardState state;
        AppContext ctx{dialogs, launcher, state};
        TL640MSettingsForm form(ctx, files.folder.path());
        dialogs.window = &form;
        showWindow(&form);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        dialogs.clear();
        auto* user = control<QLineEdit>(&form, "PasswordEdit2");
        auto* engineer = control<QLineEdit>(&form, "PasswordEdit");
        engineer->setText(QStringLiteral("53"));  // both refused
        for (int leave = 1; leave <= 3; ++leave) {
            click(user);
            settle();
            QTest::keyClick(user, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(user, "12");
            click(engineer);
            settle();
            QCOMPARE(dialogs.messages().size(), std::size_t(leave));
            QCOMPARE(dialogs.messages().back().text, kUserPasswordBox.toStdString());
            QCOMPARE(focusName(), QStringLiteral("PasswordEdit2"));
        }
        // A box raised while typing (a "0" in the password) takes the focus too; that is no leave
        // of the still too short password.
        QTest::keyClick(user, Qt::Key_End);  // the text came back selected
        QTest::keyClicks(user, "0");
        settle();
        QCOMPARE(dialogs.messages().size(), std::size_t{4});
        QCOMPARE(dialogs.messages().back().text, kZeroBox.toStdString());
        QCOMPARE(focusName(), QStringLiteral("PasswordEdit2"));
        QCOMPARE(user->text(), QStringLiteral("12"));
        QVERIFY2(dialogs.stolen >= 4, "the boxes did not take the focus");
        form.hide();
    }

private:
    /// Scripted boxes that, like real ones, make another window active while they are up.
    struct FocusTakingDialogs : ScriptedDialogService {
        QWidget* window = nullptr;
        int stolen = 0;
        MsgAnswer message(const MessageRequest& request) override {
            QWidget box;
            box.setObjectName(QStringLiteral("box"));
            box.show();
            box.activateWindow();
            if (QTest::qWaitForWindowActive(&box)) ++stolen;
            const MsgAnswer answer = ScriptedDialogService::message(request);
            box.hide();
            if (window != nullptr) {
                window->activateWindow();
                (void)QTest::qWaitForWindowActive(window);
            }
            return answer;
        }
    };
};

QTEST_MAIN(KvmChecksTest)
#include "kvm_checks_test.moc"
