// What typing may keep in a code or key field, and when a key is complete.
#include <QTest>

#include "ui/exit_guard.h"

using namespace livna;

class ExitGuardTest : public QObject {
    Q_OBJECT
private slots:
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

QTEST_GUILESS_MAIN(ExitGuardTest)
#include "exit_guard_test.moc"
