// Exit checks of fields in any window, what typing may keep in a code or key field, and when a key
// is complete.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include "gui_harness.h"
#include "ui/exit_guard.h"

using namespace livna;
using namespace livna::test;

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
