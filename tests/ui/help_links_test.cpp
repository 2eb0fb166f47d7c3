// What the help button of a window opens.
#include <QTest>

#include "ui/help_links.h"

using namespace livna;

class HelpLinksTest : public QObject {
    Q_OBJECT
private slots:
    void helpTarget_winHelpOnlyWhereShownAndPresent_data() {
        QTest::addColumn<bool>("winHelp");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("target");
        QTest::newRow("windows, file there") << true << true << "Setka-640-v5_2-help.hlp";
        QTest::newRow("windows, file missing") << true << false << "help/index.html";
        QTest::newRow("elsewhere, file there") << false << true << "help/index.html";
        QTest::newRow("elsewhere, file missing") << false << false << "help/index.html";
    }
    void helpTarget_winHelpOnlyWhereShownAndPresent() {
        QFETCH(bool, winHelp);
        QFETCH(bool, present);
        QFETCH(QString, target);
        QCOMPARE(QString::fromStdString(helpTarget("Setka-640-v5_2-help.hlp", winHelp, present)), target);
    }
    void helpTarget_pageOfTheProgramWhereWinHelpIsNot() {
        QCOMPARE(QString::fromStdString(helpTarget("Help.hlp", false, true, kSetkaHelpPage)),
                 QStringLiteral("help/setka.html"));
        QCOMPARE(QString::fromStdString(helpTarget("Help.hlp", true, true, kSetkaHelpPage)),
                 QStringLiteral("Help.hlp"));
    }
};

QTEST_GUILESS_MAIN(HelpLinksTest)
#include "help_links_test.moc"
