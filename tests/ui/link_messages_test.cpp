// What a window says about a failed link operation and the blocks of memory it could not transfer.
#include <QTest>

#include "ui/link_messages.h"

using namespace livna;

class LinkMessagesTest : public QObject {
    Q_OBJECT
private slots:
    void failedBlocks_agreeWithTheirNumber_data() {
        QTest::addColumn<QList<int>>("blocks");
        QTest::addColumn<QString>("notRead");
        QTest::addColumn<QString>("notWritten");
        QTest::newRow("one block") << QList<int>{5} << "не прочитан блок памяти 5"
                                   << "не записан блок памяти 5";
        QTest::newRow("block 0") << QList<int>{0} << "не прочитан блок памяти 0"
                                 << "не записан блок памяти 0";
        QTest::newRow("two blocks") << QList<int>{0, 1} << "не прочитаны блоки памяти 0, 1"
                                    << "не записаны блоки памяти 0, 1";
        QTest::newRow("every settings block")
            << QList<int>{0, 1, 2, 3, 4, 5, 6, 7} << "не прочитаны блоки памяти 0, 1, 2, 3, 4, 5, 6, 7"
            << "не записаны блоки памяти 0, 1, 2, 3, 4, 5, 6, 7";
    }
    void failedBlocks_agreeWithTheirNumber() {
        QFETCH(QList<int>, blocks);
        QFETCH(QString, notRead);
        QFETCH(QString, notWritten);
        const std::vector<int> failed(blocks.begin(), blocks.end());
        QCOMPARE(blocksNotRead(failed), notRead);
        QCOMPARE(blocksNotWritten(failed), notWritten);
        // The boxes name the same blocks of memory, and end their sentences.
        const QString phrase = notRead.mid(notRead.indexOf(QStringLiteral("блок")));
        for (const QString& told : {settingsReadFailure(failed), settingsWriteFailure(failed),
                                    registrationReadFailure(failed), registrationWriteFailure(failed)}) {
            QVERIFY2(told.contains(phrase), qPrintable(told));
            QVERIFY2(told.endsWith(QLatin1Char('.')), qPrintable(told));
        }
    }

    // The system's text (English on Linux) follows a Russian sentence; an operation that left no
    // text (a time-out, a refused block) shows no box.
    void systemError_toldAfterARussianSentence() {
        struct Case {
            const char* systemText;
            const char* told;  // empty: no box
        };
        const Case cases[] = {
            {"No such device", "Нет связи с прибором: No such device"},
            {"/run/x/PIPE00: Broken pipe", "Нет связи с прибором: /run/x/PIPE00: Broken pipe"},
            {"", ""},
        };
        for (const Case& c : cases) {
            ScriptedDialogService dialogs;
            tellSystemError(dialogs, c.systemText);
            const auto shown = dialogs.messages();
            const std::string told = c.told;
            QCOMPARE(shown.size(), std::size_t(told.empty() ? 0 : 1));
            if (told.empty()) continue;
            QCOMPARE(shown[0].caption, std::string("Error"));
            QCOMPARE(shown[0].icon, MsgIcon::Error);
            QCOMPARE(shown[0].text, told);
        }
    }
};

QTEST_GUILESS_MAIN(LinkMessagesTest)
#include "link_messages_test.moc"
