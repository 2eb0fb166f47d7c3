// Start-up of a program: its folder and the report of an exception nobody caught.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

#include "ui/application.h"

using namespace livna;

namespace {

const char* const kFolders[] = {"Reg_RPU", "Base_D", "Conf"};

}  // namespace

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
        prepareProgramFolder(program.path(), kFolders);
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
        prepareProgramFolder(program.path(), kFolders);
        QCOMPARE(QDir("Conf").entryList(QDir::Files),
                 existing.contains("Conf") ? QStringList({"640dkvmdef.cfg"}) : QStringList());
    }

    void uncaughtException_isShownWithTheApplicationTitle_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("std::exception") << 0 << "\"12a\" is not a valid integer value"
                                        << "Setka640DKV_KVM";
        QTest::newRow("anything else") << 1 << "Неизвестная ошибка."
                                       << "Setka640DKV_KVM";
        QTest::newRow("the other program") << 0 << "x"
                                           << "setka";
    }
    void uncaughtException_isShownWithTheApplicationTitle() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, title);
        ScriptedDialogService dialogs;
        std::exception_ptr error;
        try {
            if (kind == 0) throw std::invalid_argument(text.toStdString());
            throw 42;
        } catch (...) {
            error = std::current_exception();
        }
        showUncaughtException(dialogs, error, title.toStdString());
        const auto shown = dialogs.messages();
        QCOMPARE(shown.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(shown[0].caption), title);
        QCOMPARE(QString::fromStdString(shown[0].text), text);
        QCOMPARE(shown[0].icon, MsgIcon::Error);
    }

private:
    QString m_before;
};

QTEST_GUILESS_MAIN(StartupTest)
#include "application_test.moc"
