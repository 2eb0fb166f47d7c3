// Exit checks of fields in any window, what typing may keep in a code or key field, and when a key
// is complete.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include "gui_harness.h"
#include "ui/exit_guard.h"

using namespace livna;
using namespace livna::test;

namespace {

// A window of two fields and a button whose action (also on F7) asks the guard first.
struct TwoFields {
    QDialog window;
    QLineEdit* first = new QLineEdit(&window);
    QLineEdit* second = new QLineEdit(&window);
    QPushButton* button = new QPushButton(QStringLiteral("act"), &window);
    ExitGuard guard;
    int actions = 0;
    int answers = 0;
    int accepted = 0;
    TwoFields() {
        auto* box = new QVBoxLayout(&window);
        box->addWidget(first);
        box->addWidget(second);
        box->addWidget(button);
        button->setShortcut(Qt::Key_F7);
        QObject::connect(button, &QPushButton::clicked, [this] {
            if (guard.judgeFocused(&window)) ++actions;
        });
        // "bad" in the first field is refused and emptied; the field is given back.
        guard.watch(first, {[this] { return first->text() == QStringLiteral("bad"); },
                            [this] {
                                ++answers;
                                first->clear();
                                return true;
                            },
                            [this] { ++accepted; }});
        showWindow(&window);
        focusIn(first);
    }
};

}  // namespace

class ExitGuardTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    // A window of two tabs: the watched field on the second, another field on the first.
    void refusedLeave_isAnsweredOnceAfterTheFocusChange_andTheFieldComesBackToTheFront() {
        QDialog window;
        auto* tabs = new QTabWidget(&window);
        auto* other = new QLineEdit;
        auto* field = new QLineEdit;
        tabs->addTab(other, QStringLiteral("first"));
        tabs->addTab(field, QStringLiteral("second"));
        (new QVBoxLayout(&window))->addWidget(tabs);
        bool refuses = true;
        int answers = 0;
        QWidget* focusWhenAnswered = nullptr;
        ExitGuard guard;
        guard.watch(field, {[&] { return refuses; },
                            [&] {
                                ++answers;
                                focusWhenAnswered = QApplication::focusWidget();
                                return true;
                            }});
        showWindow(&window);
        tabs->setCurrentWidget(field);
        field->setFocus(Qt::OtherFocusReason);
        field->setText(QStringLiteral("12"));

        tabs->setCurrentWidget(other);
        other->setFocus(Qt::TabFocusReason);
        QCOMPARE(answers, 0);  // never inside the focus change
        QTRY_COMPARE(answers, 1);
        QCOMPARE(focusWhenAnswered, static_cast<QWidget*>(other));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
        QCOMPARE(tabs->currentWidget(), static_cast<QWidget*>(field));
        QCOMPARE(field->selectedText(), QStringLiteral("12"));
        QVERIFY(!guard.answering());

        refuses = false;
        tabs->setCurrentWidget(other);
        other->setFocus(Qt::TabFocusReason);
        QTest::qWait(20);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(other));
        QCOMPARE(answers, 1);
        window.hide();
    }

    void acceptedRunsAtOnceOnEveryLeaveThatIsNotRefused() {
        TwoFields w;
        w.first->setText(QStringLiteral("good"));
        w.second->setFocus(Qt::TabFocusReason);
        QCOMPARE(w.accepted, 1);  // at once, not from the event loop
        w.first->setFocus(Qt::TabFocusReason);
        // Another window coming to the front is no leave.
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(w.first, &away);
        QCOMPARE(w.accepted, 1);

        w.first->setText(QStringLiteral("bad"));
        w.second->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(w.answers, 1);
        QCOMPARE(w.accepted, 1);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.first));
        w.window.hide();
    }

    void anActionOnAButtonOrAKeyDoesNothingWhileTheFocusedFieldIsRefused() {
        TwoFields w;
        w.first->setText(QStringLiteral("bad"));
        click(w.button);
        QTRY_COMPARE(w.answers, 1);
        QTest::qWait(20);
        QCOMPARE(w.actions, 0);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.first));

        // F7 moves no focus: the action judges the field itself, answered once, and stops.
        w.first->setText(QStringLiteral("bad"));
        QTest::keyClick(w.first, Qt::Key_F7);
        QTRY_COMPARE(w.answers, 2);
        QTest::qWait(150);  // the button's animated click is over
        QCOMPARE(w.actions, 0);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.first));
        QVERIFY(!w.guard.answering());

        // A field that is right lets the key act, and counts as left.
        w.first->setText(QStringLiteral("good"));
        QTest::keyClick(w.first, Qt::Key_F7);
        QTRY_COMPARE(w.actions, 1);
        QCOMPARE(w.answers, 2);
        QCOMPARE(w.accepted, 1);
        w.window.hide();
    }

    void anAnswerMayEndOnAnotherField() {
        TwoFields w;
        // The second field's answer hands the focus to the first one, whose own check, which
        // would refuse, does not run meanwhile.
        int secondAnswers = 0;
        w.guard.watch(w.second, {[&] { return true; },
                                 [&] {
                                     ++secondAnswers;
                                     w.guard.returnTo(w.first);
                                     return false;
                                 }});
        w.first->setText(QStringLiteral("bad"));
        w.second->setText(QStringLiteral("x"));
        w.guard.returnTo(w.second);
        w.button->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(secondAnswers, 1);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.first));
        QCOMPARE(w.first->selectedText(), QStringLiteral("bad"));
        QTest::qWait(20);
        QCOMPARE(w.answers, 0);
        QCOMPARE(secondAnswers, 1);
        QVERIFY(!w.guard.answering());
        w.window.hide();
    }

    void removeCharactersKeepsTheCursorAfterTheSameCharacters() {
        QLineEdit edit;
        edit.setText(QStringLiteral("1a2b3"));
        edit.setCursorPosition(4);  // after "b"
        QCOMPARE(removeCharacters(&edit, &keptInKey), qsizetype{2});
        QCOMPARE(edit.text(), QStringLiteral("1A2b3").remove(u'A').remove(u'b'));
        QCOMPARE(edit.cursorPosition(), 2);
        QCOMPARE(removeCharacters(&edit, &keptInKey), qsizetype{0});
    }

    void keptCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("key");
        QTest::newRow("digits") << "0123456789"
                                << "123456789"
                                << "0123456789";
        QTest::newRow("hex letters") << "ABCDEFG"
                                     << ""
                                     << "ABCDEF";
        QTest::newRow("lower case") << "abcdef"
                                    << ""
                                    << "";
        QTest::newRow("signs and blanks") << "1 -2_x"
                                          << "1 2"
                                          << "12";
        QTest::newRow("Cyrillic look-alikes") << QString::fromUtf8("АВС1") << "1"
                                              << "1";
    }
    void keptCharacters() {
        QFETCH(QString, text);
        QFETCH(QString, code);
        QFETCH(QString, key);
        QString gotCode;
        QString gotKey;
        for (QChar c : text) {
            if (keptInCode(c)) gotCode += c;
            if (keptInKey(c)) gotKey += c;
        }
        QCOMPARE(gotCode, code);
        QCOMPARE(gotKey, key);
    }

    void keyCompletion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("padded");
        QTest::newRow("empty") << "" << true << "000000000000";
        QTest::newRow("four") << "12AB" << false << "0000000012AB";
        QTest::newRow("eleven") << "123456789AB" << false << "0123456789AB";
        QTest::newRow("twelve") << "0123456789AB" << true << "0123456789AB";
    }
    void keyCompletion() {
        QFETCH(QString, text);
        QFETCH(bool, complete);
        QFETCH(QString, padded);
        QCOMPARE(keyIsComplete(text), complete);
        QCOMPARE(keyPaddedInFront(text), padded);
    }
};

QTEST_MAIN(ExitGuardTest)
#include "exit_guard_test.moc"
