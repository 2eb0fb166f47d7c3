// Start-up: the program folder and the report of an exception nobody caught.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

#include "wizard/generalunit.h"
#include "wizard/startup.h"

using namespace livna;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_before = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(m_before); }

    void prepare_createsMissingFolders_leavesExistingContent_data() {
        QTest::addColumn<QStringList>("existing");
        QTest::newRow("fresh folder") << QStringList();
        QTest::newRow("Conf there") << QStringList({"Conf"});
        QTest::newRow("all there") << QStringList({"Reg_RPU", "Base_D", "Conf"});
    }
    void prepare_createsMissingFolders_leavesExistingContent() {
        QFETCH(QStringList, existing);
        QTemporaryDir program;
        QVERIFY(program.isValid());
        const QByteArray content = "170\r\n32\r\n";
        for (const QString& name : existing) {
            QVERIFY(QDir(program.path()).mkdir(name));
            QFile file(program.filePath(name + "/640dkvmdef.cfg"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        prepareProgramFolder(program.path());
        QCOMPARE(QDir::current().canonicalPath(), QDir(program.path()).canonicalPath());
        for (const char* name : {"Reg_RPU", "Base_D", "Conf"}) {
            QVERIFY2(QDir(name).exists(), name);
            // Left writable: the editors save into these folders.
            QFile probe(QString(name) + "/probe.txt");
            QVERIFY2(probe.open(QIODevice::WriteOnly), name);
            probe.close();
            probe.remove();
        }
        for (const QString& name : existing) {
            QFile file(name + "/640dkvmdef.cfg");
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), content);
        }
        // Asking again changes nothing.
        prepareProgramFolder(program.path());
        QCOMPARE(QDir("Conf").entryList(QDir::Files), existing.contains("Conf") ? QStringList({"640dkvmdef.cfg"})
                                                                                : QStringList());
    }

    void uncaughtException_isShownWithTheApplicationTitle_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("std::exception") << 0 << "\"12a\" is not a valid integer value";
        QTest::newRow("anything else") << 1 << "Неизвестная ошибка.";
    }
    void uncaughtException_isShownWithTheApplicationTitle() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        ScriptedDialogService dialogs;
        std::exception_ptr error;
        try {
            if (kind == 0) throw std::invalid_argument(text.toStdString());
            throw 42;
        } catch (...) {
            error = std::current_exception();
        }
        showUncaughtException(dialogs, error);
        const auto shown = dialogs.messages();
        QCOMPARE(shown.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(shown[0].caption), QString("Setka640DKV_KVM"));
        QCOMPARE(QString::fromStdString(shown[0].text), text);
        QCOMPARE(shown[0].icon, MsgIcon::Error);
    }

private:
    QString m_before;
};

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
