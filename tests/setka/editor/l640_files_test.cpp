// The editor's settings files: what a save writes per variant, which files a load takes and that
// a refused load changes nothing, the dialogs, and round trips through the controls.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

#include "gui_harness.h"
#include "setka/editor/l640.h"

using namespace livna;
using namespace livna::setka;
using namespace livna::test;

namespace {

/// A demo editor of the chosen variant with its factory settings, as the main window opens it.
struct Editor {
    explicit Editor(SystemVariant variant) : context{.chosenVariant = variant, .demoMode = true} {
        form.LayOut(variant);
        form.DefaultButtonClick();
    }
    ScriptedDialogService dialogs;
    LinkContext context;
    TL640Form form{dialogs, context};
    QTemporaryDir folder;

    QString path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
    void save(const QString& path) {
        dialogs.chooseNext(path.toStdString());
        form.SaveButtonClick();
    }
    void load(const QString& path) {
        dialogs.chooseNext(path.toStdString());
        form.LoadButtonClick();
    }
    QString status() const { return form.statusPanel(0)->text(); }
};

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QByteArray> linesOf(const QString& path) {
    QList<QByteArray> lines = contentOf(path).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QByteArray& line : lines) line = line.chopped(1);  // CR
    return lines;
}

void writeLines(const QString& path, const QList<QByteArray>& lines) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write ") + path);
    for (const QByteArray& line : lines) file.write(line + "\r\n");
}

/// A file of the variant's factory settings with line 1 set to version.
QString factoryFile(SystemVariant variant, const char* version, const QTemporaryDir& folder) {
    Editor source(variant);
    const QString path = folder.filePath(QStringLiteral("factory%1.cfg").arg(static_cast<int>(variant)));
    source.save(path);
    QList<QByteArray> lines = linesOf(path);
    lines[1] = version;
    writeLines(path, lines);
    return path;
}

}  // namespace

class L640FilesTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void save_linesOfTheVariant_fixedValues_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QByteArray>("version");
        QTest::newRow("RPYKVM1") << 1 << 2048 << QByteArray("18");
        QTest::newRow("RPYKVM4") << 3 << 2048 << QByteArray("33");
        QTest::newRow("RPYKV4") << 5 << 2816 << QByteArray("53");
    }
    void save_linesOfTheVariant_fixedValues() {
        QFETCH(int, variant);
        QFETCH(int, lines);
        QFETCH(QByteArray, version);
        Editor e(static_cast<SystemVariant>(variant));
        e.context.configByte = 0;  // before any version check
        e.save(e.path("a.cfg"));
        const QList<QByteArray> saved = linesOf(e.path("a.cfg"));
        QCOMPARE(saved.size(), lines);
        QCOMPARE(saved[0], QByteArray("170"));
        QCOMPARE(saved[1], version);
        for (int i : {6, 7, 38, 39}) QCOMPARE(saved[i], QByteArray("0"));
        QCOMPARE(e.context.configByte, variant == 5 ? 102 : 99);
        QCOMPARE(e.status(), QStringLiteral("Запись конфигурации в файл завершено"));
        QVERIFY(e.dialogs.messages().empty());
    }

    void dialogs_filterAndExtension_nothingElse() {
        Editor e(SystemVariant::Kvm1);
        e.form.SaveButtonClick();  // cancelled
        e.form.LoadButtonClick();  // cancelled
        const auto& calls = e.dialogs.calls();
        QCOMPARE(calls.size(), std::size_t{2});
        for (const auto& call : calls) {
            QCOMPARE(call.file.filter, std::string("Файлы конфигурации (*.cfg)|*.cfg|Все файлы|*.*"));
            QCOMPARE(call.file.defaultExt, std::string("cfg"));
            QVERIFY(call.file.title.empty() && call.file.initialDir.empty() && call.file.fileName.empty());
        }
        QCOMPARE(calls[0].kind, ScriptedDialogService::Kind::Save);
        QCOMPARE(calls[1].kind, ScriptedDialogService::Kind::Open);
    }

    void keys_f9SavesF10Loads() {
        Editor e(SystemVariant::Kvm1);
        showWindow(&e.form);
        e.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&e.form));
        // A button's shortcut clicks it once its pressed look has been shown.
        pressKey(&e.form, Qt::Key_F9);
        QTRY_COMPARE(e.dialogs.calls().size(), std::size_t{1});
        pressKey(&e.form, Qt::Key_F10);
        QTRY_COMPARE(e.dialogs.calls().size(), std::size_t{2});
        e.form.hide();
        const auto& calls = e.dialogs.calls();
        QCOMPARE(calls[0].kind, ScriptedDialogService::Kind::Save);
        QCOMPARE(calls[1].kind, ScriptedDialogService::Kind::Open);
        QCOMPARE(find(&e.form, "SaveButton")->toolTip(), QStringLiteral("Записать в файл F9"));
        QCOMPARE(find(&e.form, "LoadButton")->toolTip(), QStringLiteral("Считать файл F10"));
    }

    void save_again_replacesWithoutAQuestion() {
        Editor e(SystemVariant::Kvm4);
        const QString path = e.path("twice.cfg");
        writeLines(path, {"1", "2"});
        e.save(path);
        e.save(path);
        QVERIFY(e.dialogs.messages().empty());
        QCOMPARE(linesOf(path).size(), 2048);
    }

    void save_refusedField_writesNothing() {
        Editor e(SystemVariant::Kvm1);
        control<QLineEdit>(&e.form, "PasswordEdit")->setText(QStringLiteral("12"));
        e.save(e.path("refused.cfg"));
        QVERIFY(!QFile::exists(e.path("refused.cfg")));
        QCOMPARE(e.dialogs.messages().size(), std::size_t{1});
        QVERIFY(e.status() != QStringLiteral("Запись конфигурации в файл завершено"));
    }

    void load_onlyTheMajorNumberOfLine1Compared_data() {
        QTest::addColumn<int>("fileVariant");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<bool>("loads");
        QTest::newRow("33 under RPYKVM4") << 3 << QByteArray("33") << 3 << true;
        QTest::newRow("35 under RPYKVM4") << 3 << QByteArray("35") << 3 << true;
        QTest::newRow("33 under RPYKVM1") << 3 << QByteArray("33") << 1 << false;
        QTest::newRow("18 under RPYKV4") << 1 << QByteArray("18") << 5 << false;
        QTest::newRow("53 under RPYKV4") << 5 << QByteArray("53") << 5 << true;
    }
    void load_onlyTheMajorNumberOfLine1Compared() {
        QFETCH(int, fileVariant);
        QFETCH(QByteArray, version);
        QFETCH(int, chosen);
        QFETCH(bool, loads);
        QTemporaryDir folder;
        const QString path = factoryFile(static_cast<SystemVariant>(fileVariant), version, folder);
        Editor e(static_cast<SystemVariant>(chosen));
        e.form.pageControl()->setCurrentIndex(2);
        const L640View before = e.form.view();
        const SettingsImage heldBefore = e.form.tables().heldCodes;
        e.load(path);
        QVERIFY(e.form.pageControl()->currentWidget()->isAncestorOf(find(&e.form, "TabSheetRazdel")));
        if (loads) {
            QVERIFY(e.dialogs.messages().empty());
            QCOMPARE(e.status(), QStringLiteral("Чтение конфигурации из файла завершено"));
            QCOMPARE(e.context.versionCode, demoVersionCode(static_cast<SystemVariant>(chosen)));
            return;
        }
        const auto boxes = e.dialogs.messages();
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].text, std::string("Ошибка чтения файла конфигурации. Нет совпадения версия ПО."));
        QCOMPARE(boxes[0].caption, std::string("setka"));
        QCOMPARE(boxes[0].icon, MsgIcon::Information);
        QVERIFY(e.form.view() == before);
        QVERIFY(e.form.tables().heldCodes == heldBefore);
        QCOMPARE(e.status(), QStringLiteral("Заводские установки выставлены"));
    }

    void load_damagedFile_refusedNamingTheLine_nothingChanged_data() {
        QTest::addColumn<int>("keep");       // lines kept
        QTest::addColumn<int>("badLine");    // 0-based line made "12a", -1: none
        QTest::addColumn<QString>("named");  // what the box names: the line (1-based) or the count
        QTest::newRow("short, in the codes") << 2000 << -1 << "2000 вместо 2048";
        QTest::newRow("12a on line 1") << 2048 << 1 << "строка 2:";
        QTest::newRow("12a in the codes") << 2048 << 1500 << "строка 1501:";
        QTest::newRow("12a in the settings") << 2048 << 20 << "строка 21:";
    }
    void load_damagedFile_refusedNamingTheLine_nothingChanged() {
        QFETCH(int, keep);
        QFETCH(int, badLine);
        QFETCH(QString, named);
        QTemporaryDir folder;
        const QString path = factoryFile(SystemVariant::Kvm1, "17", folder);
        QList<QByteArray> lines = linesOf(path);
        for (QByteArray& line : lines) line = "7";  // every value differs from the factory's
        lines[1] = "17";
        lines = lines.mid(0, keep);
        if (badLine >= 0) lines[badLine] = "12a";
        writeLines(path, lines);

        Editor e(SystemVariant::Kvm1);
        const L640View before = e.form.view();
        const L640Tables& tables = e.form.tables();
        const SettingsImage heldBefore = tables.heldCodes;
        const SettingsImage baseBefore = tables.baseImage;
        e.load(path);
        const auto boxes = e.dialogs.messages();
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].caption, std::string("setka"));
        const QString text = QString::fromStdString(boxes[0].text);
        QVERIFY2(text.contains(named) && text.contains(QStringLiteral("factory1.cfg")), qPrintable(text));
        QVERIFY(e.form.view() == before);
        QVERIFY(tables.heldCodes == heldBefore);
        QVERIFY(tables.baseImage == baseBefore);
    }

    void load_longerFile_readsTheVariantsLines() {
        QTemporaryDir folder;
        const QString path = factoryFile(SystemVariant::Kvm4, "33", folder);
        QList<QByteArray> lines = linesOf(path);
        for (int i = 0; i < 768; ++i) lines << "x";  // 2816 lines, the rest ignored
        writeLines(path, lines);
        Editor e(SystemVariant::Kvm4);
        e.load(path);
        QVERIFY(e.dialogs.messages().empty());
        QCOMPARE(e.status(), QStringLiteral("Чтение конфигурации из файла завершено"));
    }

    void load_valueOutsideAByte_askedFirst() {
        QTemporaryDir folder;
        const QString path = factoryFile(SystemVariant::Kvm1, "17", folder);
        QList<QByteArray> lines = linesOf(path);
        lines[8] = "300";
        writeLines(path, lines);
        Editor e(SystemVariant::Kvm1);
        const L640View before = e.form.view();
        e.dialogs.answerNext(MsgAnswer::No);
        e.load(path);
        QCOMPARE(e.dialogs.messages().size(), std::size_t{1});
        QCOMPARE(e.dialogs.messages()[0].caption, std::string("setka"));
        QCOMPARE(e.dialogs.messages()[0].buttons, MsgButtons::YesNo);
        QVERIFY(e.form.view() == before);
        e.dialogs.answerNext(MsgAnswer::Yes);
        e.load(path);
        QCOMPARE(e.status(), QStringLiteral("Чтение конфигурации из файла завершено"));
    }

    void load_connected_keepsTheVersionCode() {
        QTemporaryDir folder;
        const QString path = factoryFile(SystemVariant::Kvm4, "35", folder);
        ScriptedDialogService dialogs;
        LinkContext context{.chosenVariant = SystemVariant::Kvm4, .configByte = 0x63};
        TL640Form form(dialogs, context);
        form.LayOut(SystemVariant::Kvm4, 2);
        context.versionCode = 32;  // as the version check leaves it
        context.versionMatched = true;
        dialogs.chooseNext(path.toStdString());
        form.LoadButtonClick();
        QCOMPARE(context.versionCode, 32);
        const QString saved = folder.filePath(QStringLiteral("saved.cfg"));
        dialogs.chooseNext(saved.toStdString());
        form.SaveButtonClick();
        QCOMPARE(linesOf(saved).value(1), QByteArray("32"));
        QCOMPARE(context.configByte, 0x63);  // on-line a save leaves it
    }

    void save_variant5_aRepeatedCodeIsWrittenBlank() {
        Editor e(SystemVariant::Kv4);
        control<QLineEdit>(&e.form, "NumKodEdit")->setText(QStringLiteral("5"));
        const std::array<const char*, 5> codes{"11", "123", "33", "12 3", "55"};
        for (int n = 1; n <= 5; ++n) {
            control<QLineEdit>(&e.form, QStringLiteral("kod%1").arg(n))
                ->setText(QString::fromLatin1(codes[static_cast<std::size_t>(n - 1)]));
            control<QCheckBox>(&e.form, QStringLiteral("q%1").arg(n * 10 + 1, 3, 10, QChar(u'0')))
                ->setChecked(true);
        }
        const QString path = e.path("codes.cfg");
        e.save(path);
        QCOMPARE(e.dialogs.messages().size(), std::size_t{1});
        QCOMPARE(e.dialogs.messages()[0].text, std::string("Поторяющийся Код в позиции №4 будет удален!"));

        Editor reread(SystemVariant::Kv4);
        reread.load(path);
        auto code = [&](int n) {
            return control<QLineEdit>(&reread.form, QStringLiteral("kod%1").arg(n))->text().trimmed();
        };
        QCOMPARE(code(2), QStringLiteral("123"));
        QCOMPARE(code(4), QString());
        QCOMPARE(code(5), QStringLiteral("55"));
    }

    void roundTrip_saveLoadSave_sameFile_changeKept_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("changed");  // a value the controls show
        QTest::newRow("RPYKVM1") << 1 << 8;
        QTest::newRow("RPYKVM4") << 3 << 8;
        QTest::newRow("RPYKV4") << 5 << 31;
    }
    void roundTrip_saveLoadSave_sameFile_changeKept() {
        QFETCH(int, variant);
        QFETCH(int, changed);
        Editor e(static_cast<SystemVariant>(variant));
        const QString first = e.path("first.cfg"), second = e.path("second.cfg"), third = e.path("third.cfg");
        e.save(first);
        e.load(first);
        e.save(second);
        QCOMPARE(contentOf(second), contentOf(first));

        QList<QByteArray> lines = linesOf(first);
        QVERIFY(lines[changed] != "42");
        lines[changed] = "42";
        writeLines(first, lines);
        e.load(first);
        e.save(third);
        QCOMPARE(linesOf(third), lines);
        QVERIFY(e.dialogs.messages().empty());
    }
};

QTEST_MAIN(L640FilesTest)
#include "l640_files_test.moc"
