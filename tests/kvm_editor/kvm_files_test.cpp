// The Ливна-КВ-М editor's settings files: start-up, factory settings, load, save, the
// overwrite question and the registration copy.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

#include "common/file_names.h"
#include "editor_checks.h"
#include "kvm_editor_fixture.h"

using namespace livna;
using namespace livna::test;

namespace {

QString status(TL640MSettingsForm* form) {
    return form->statusBar()->currentMessage();
}

QStringList copyLines(int count, int seed) {
    QStringList out;
    for (int i = 0; i < count; ++i) out << QString::number((i * 7 + seed) % 256);
    return out;
}

}  // namespace

class KvmFilesTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void saveRightAfterStartUp_writesTheFactorySettings() {
        EditorFixture e;
        showWindow(e.form.get());
        e.fake.dialogs.chooseNext(e.path("Conf/saved.cfg").toStdString());
        e.form->SaveBitBtnClick();
        const QByteArray bytes = readAll(e.path("Conf/saved.cfg"));
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 2049);  // 2048 lines, each ended by CR LF
        QVERIFY(lines.last().isEmpty());
        QCOMPARE(lines[0], QByteArray("170\r"));
        QCOMPARE(lines[1], QByteArray("0\r"));
        QCOMPARE(bytes, readAll(shippedFactoryFile()));
        QCOMPARE(status(e.form.get()), QString("Запись конфигурации в файл завершена"));
        e.form->hide();
    }

    // Every save that writes nothing says so in the status line, after the box that told why.
    void save_nothingWritten_statusSaysSo_data() {
        QTest::addColumn<bool>("filled");  // false: the fields are empty, a password is refused
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("told");
        QTest::newRow("refused field") << false << "Conf"
                                       << "Пароль инженера";
        QTest::newRow("missing folder") << true << "missing"
                                        << "saved.cfg";
    }
    void save_nothingWritten_statusSaysSo() {
        QFETCH(bool, filled);
        QFETCH(QString, folder);
        QFETCH(QString, told);
        EditorFixture e;
        if (filled) e.form->ApplyImage(factoryImage());
        const QString path = e.path(folder + "/saved.cfg");
        e.fake.dialogs.chooseNext(path.toStdString());
        e.form->SaveBitBtnClick();
        const auto messages = e.fake.dialogs.messages();
        QCOMPARE(messages.size(), std::size_t(1));
        QVERIFY2(QString::fromStdString(messages[0].text).contains(told), messages[0].text.c_str());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(status(e.form.get()), QString("Запись настроек в файл не выполнена"));
    }

    void fileDialogs_titlesFiltersFoldersAndOfferedNames() {
        EditorFixture e;
        e.form->LoadBitBtnClick();
        e.form->SaveBitBtnClick();
        const auto& calls = e.fake.dialogs.calls();
        QCOMPARE(calls.size(), std::size_t(2));
        const FileDialogRequest& open = calls[0].file;
        QCOMPARE(calls[0].kind, ScriptedDialogService::Kind::Open);
        QCOMPARE(open.title, std::string("Открытие файла настроек"));
        QCOMPARE(open.filter, std::string("Файлы настроек (*.cfg)|*.cfg"));
        QCOMPARE(open.filterIndex, 1);
        QCOMPARE(open.defaultExt, std::string("cfg"));
        QCOMPARE(open.initialDir, std::string("Conf"));
        QCOMPARE(open.fileName, std::string("640kvm*"));
        const FileDialogRequest& save = calls[1].file;
        QCOMPARE(calls[1].kind, ScriptedDialogService::Kind::Save);
        QCOMPARE(save.title, std::string("Сохранение файла настроек"));
        QCOMPARE(save.filter, open.filter);
        QCOMPARE(save.defaultExt, std::string("cfg"));
        QCOMPARE(save.initialDir, std::string("Conf"));
        QCOMPARE(save.fileName, "640kvm" + todayDateStamp());
        QCOMPARE(e.form->dateStamp().size(), 8);
        // A cancelled load still reports the read as finished; a cancelled save says nothing was written.
        QCOMPARE(status(e.form.get()), QString("Запись настроек в файл не выполнена"));
    }

    void saveThenLoad_givesBackTheEditorContents() {
        EditorFixture e;
        e.form->ApplyImage(denseImage());
        e.fake.dialogs.chooseNext(e.path("Conf/dense.cfg").toStdString());
        e.form->SaveBitBtnClick();
        e.form->DefaultButtonClick();
        QCOMPARE(status(e.form.get()), QString("Заводские настройки выставлены"));
        LIVNA_COMPARE_IMAGES(e.gather(), factoryImage());
        e.fake.dialogs.chooseNext(e.path("Conf/dense.cfg").toStdString());
        e.form->LoadBitBtnClick();
        QCOMPARE(status(e.form.get()), QString("Чтение настроек из файла завершено"));
        SettingsImage want = denseImage();
        for (std::size_t i : {6, 7, 8, 9, 38, 39}) want[i] = 0;
        LIVNA_COMPARE_IMAGES(e.gather(), want);
        QCOMPARE(e.form->tmpListB().size(), 2048);
        QCOMPARE(e.form->tmpListB().at(6), QString("0"));
    }

    void load_badFiles_areRefusedAndTheEditorKeepsItsContents_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("badLine");  // 0-based line replaced by "x", -1 for none
        QTest::addColumn<QString>("named");
        QTest::newRow("2047 lines") << 2047 << -1 << "2047";
        QTest::newRow("empty file") << 0 << -1 << "строка 1";
        QTest::newRow("not a number") << 2048 << 100 << "строка 101";
        QTest::newRow("missing file") << -1 << -1 << "Не удалось прочитать";
    }
    void load_badFiles_areRefusedAndTheEditorKeepsItsContents() {
        QFETCH(int, lines);
        QFETCH(int, badLine);
        QFETCH(QString, named);
        EditorFixture e;
        e.form->ApplyImage(denseImage());
        const SettingsImage before = e.gather();
        const QString path = e.path("Conf/bad.cfg");
        if (lines >= 0) {
            QStringList content = imageLines(factoryImage()).mid(0, lines);
            if (badLine >= 0) content[badLine] = "x";
            writeLines(path, content);
        }
        control<QCheckBox>(e.form.get(), "L640bakChB")->setChecked(true);
        e.fake.dialogs.chooseNext(path.toStdString());
        e.form->LoadBitBtnClick();
        const auto messages = e.fake.dialogs.messages();
        QCOMPARE(messages.size(), std::size_t(1));
        QVERIFY2(messages[0].caption == kCaptionDeviceMessage,
                 (messages[0].caption + ": " + messages[0].text).c_str());
        QCOMPARE(messages[0].icon, MsgIcon::Error);
        const QString text = QString::fromStdString(messages[0].text);
        QVERIFY2(text.contains("bad.cfg") && text.contains(named), qPrintable(text));
        LIVNA_COMPARE_IMAGES(e.gather(), before);
        QCOMPARE(status(e.form.get()), QString("Чтение настроек из файла не выполнено"));
        // No registration copy is asked for after a refused settings file.
        QCOMPARE(e.fake.dialogs.calls().size(), std::size_t(2));  // the open dialog and the box
    }

    void load_longerFile_loadsAndIgnoresTheRest() {
        EditorFixture e;
        QStringList content = imageLines(denseImage());
        content << "12345";
        writeLines(e.path("Conf/long.cfg"), content);
        e.fake.dialogs.chooseNext(e.path("Conf/long.cfg").toStdString());
        e.form->LoadBitBtnClick();
        QVERIFY2(e.fake.dialogs.messages().empty(), qPrintable(e.messageTexts().join(" | ")));
        SettingsImage want = denseImage();
        for (std::size_t i = 512; i < 768; ++i) want[i] = 0;
        LIVNA_COMPARE_IMAGES(e.gather(), want);
    }

    void load_minusOne_leavesTheControlWithoutAChoice_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("control");
        QTest::newRow("partition name") << 260 << "NameRzd5";
        QTest::newRow("receiver range") << 50 << "Border2";
        QTest::newRow("open-for-time of relay 1") << 768 + 7 << "TimeRzmk1";
    }
    void load_minusOne_leavesTheControlWithoutAChoice() {
        QFETCH(int, index);
        QFETCH(QString, control);
        EditorFixture e;
        SettingsImage im = factoryImage();
        im[768 + 1] = (im[768 + 1] & 0xF0) | 6;  // relay 1 special, so its times are taken
        im[static_cast<std::size_t>(index)] = -1;
        writeLines(e.path("Conf/minus.cfg"), imageLines(im));
        e.fake.dialogs.chooseNext(e.path("Conf/minus.cfg").toStdString());
        e.form->LoadBitBtnClick();
        QVERIFY2(e.fake.dialogs.messages().empty(), qPrintable(e.messageTexts().join(" | ")));
        QCOMPARE(::livna::test::control<QComboBox>(e.form.get(), control)->currentIndex(), -1);
        QCOMPARE(e.gather()[static_cast<std::size_t>(index)], -1);
    }

    // A file may hold values the panel cannot (outside -1..255): the installer is asked first, in
    // one box naming each line. A file loaded that way still saves: the editor stores what the
    // panel would receive, the low byte.
    void load_valuesOutOfRange_askedFirst_data() {
        QTest::addColumn<QStringList>("replaced");  // "index=text"
        QTest::addColumn<int>("answer");            // MsgAnswer, unused when nothing is asked
        QTest::addColumn<QStringList>("named");     // lines the question names; empty: no question
        QTest::newRow("999 on line 26, Yes")
            << QStringList{"25=999"} << int(MsgAnswer::Yes) << QStringList{"строка 26: 999"};
        QTest::newRow("999 on line 26, No")
            << QStringList{"25=999"} << int(MsgAnswer::No) << QStringList{"строка 26: 999"};
        QTest::newRow("256 and +00300, Yes") << QStringList{"25=256", "26=+00300"} << int(MsgAnswer::Yes)
                                             << QStringList{"строка 26: 256", "строка 27: 300 (\"+00300\")"};
        QTest::newRow("-1 is silent") << QStringList{"25=-1"} << int(MsgAnswer::No) << QStringList{};
    }
    void load_valuesOutOfRange_askedFirst() {
        QFETCH(QStringList, replaced);
        QFETCH(int, answer);
        QFETCH(QStringList, named);
        QStringList content = imageLines(denseImage());
        for (const QString& r : replaced) content[r.section('=', 0, 0).toInt()] = r.section('=', 1);
        EditorFixture e;
        writeLines(e.path("Conf/odd.cfg"), content);
        e.form->ApplyImage(denseImage());
        const SettingsImage before = e.gather();
        e.fake.dialogs.chooseNext(e.path("Conf/odd.cfg").toStdString());
        if (!named.isEmpty()) e.fake.dialogs.answerNext(static_cast<MsgAnswer>(answer));
        e.form->LoadBitBtnClick();

        const bool loaded = named.isEmpty() || static_cast<MsgAnswer>(answer) == MsgAnswer::Yes;
        const auto messages = e.fake.dialogs.messages();
        if (named.isEmpty()) {
            QVERIFY2(messages.empty(), qPrintable(e.messageTexts().join(" | ")));
        } else {
            QCOMPARE(messages.size(), std::size_t(1));
            QCOMPARE(messages[0].buttons, MsgButtons::YesNo);
            QCOMPARE(messages[0].caption, std::string(kCaptionSystemMessage));
            for (const QString& line : named)
                QVERIFY2(e.lastMessage().contains(line), qPrintable(e.lastMessage()));
        }
        QCOMPARE(status(e.form.get()), loaded ? QString("Чтение настроек из файла завершено")
                                              : QString("Чтение настроек из файла не выполнено"));
        if (!loaded) {
            LIVNA_COMPARE_IMAGES(e.gather(), before);
            return;
        }
        const SettingsImage got = e.gather();
        for (const std::int32_t v : got.values())
            QVERIFY2(v >= -1 && v <= 255, qPrintable(QString::number(v)));
        const int first = content[25].toInt();
        QCOMPARE(got[25], first < -1 || first > 255 ? (first & 0xFF) : first);

        e.fake.dialogs.clear();
        e.fake.dialogs.chooseNext(e.path("Conf/saved.cfg").toStdString());
        e.form->SaveBitBtnClick();
        QVERIFY2(e.fake.dialogs.messages().empty(), qPrintable(e.messageTexts().join(" | ")));
        QCOMPARE(readAll(e.path("Conf/saved.cfg")).count('\n'), 2048);
    }

    void save_existingFile_askedAndNoKeepsIt() {
        EditorFixture e;
        e.form->ApplyImage(factoryImage());
        const QString path = e.path("Conf/old.cfg");
        writeLines(path, {"old"});
        e.fake.dialogs.chooseNext(path.toStdString());
        e.fake.dialogs.answerNext(MsgAnswer::No);
        e.form->SaveBitBtnClick();
        QCOMPARE(readAll(path), QByteArray("old\r\n"));
        const auto messages = e.fake.dialogs.messages();
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].text, std::string("Файл с указанным именем уже существует! Хотите заменить?"));
        QCOMPARE(messages[0].caption, std::string(kCaptionSystemMessage));
        QCOMPARE(messages[0].icon, MsgIcon::Question);
        QCOMPARE(messages[0].buttons, MsgButtons::YesNo);
        QCOMPARE(status(e.form.get()), QString("Запись конфигурации в файл завершена"));

        e.fake.dialogs.clear();
        e.fake.dialogs.chooseNext(path.toStdString());
        e.fake.dialogs.answerNext(MsgAnswer::Yes);
        e.form->SaveBitBtnClick();
        QCOMPARE(readAll(path).count('\n'), 2048);
    }

    void save_refusedField_writesNothing() {
        EditorFixture e;
        e.form->ApplyImage(factoryImage());
        control<QLineEdit>(e.form.get(), "PasswordEdit")->setText("58");
        e.fake.dialogs.chooseNext(e.path("Conf/never.cfg").toStdString());
        e.form->SaveBitBtnClick();
        QVERIFY(!QFile::exists(e.path("Conf/never.cfg")));
        QCOMPARE(e.fake.dialogs.messages().size(), std::size_t(1));
        QVERIFY(e.lastMessage().contains("пароле инженера"));
    }

    void startUp_missingFactoryFile_isToldAndTheDesignValuesStay() {
        EditorFixture e(false);
        showWindow(e.form.get());
        const auto messages = e.fake.dialogs.messages();
        QCOMPARE(messages.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(messages[0].text).contains("640dkvmdef.cfg"));
        QVERIFY(control<QLineEdit>(e.form.get(), "PasswordEdit")->text().isEmpty());
        e.form->hide();
    }

    void showingAgain_showsTheFactorySettingsAgain() {
        EditorFixture e;
        showWindow(e.form.get());
        e.form->ApplyImage(denseImage());
        control<QComboBox>(e.form.get(), "OperatingModeCmB")->setCurrentIndex(1);
        e.form->hide();
        showWindow(e.form.get());
        LIVNA_COMPARE_IMAGES(e.gather(), factoryImage());
        QCOMPARE(control<QComboBox>(e.form.get(), "OperatingModeCmB")->currentIndex(), 0);
        e.form->hide();
    }

    // ---- registration copy ------------------------------------------------------------------

    void registrationCopy_loadedWithTheSettingsAndSavedUnderItsName() {
        EditorFixture e;
        showWindow(e.form.get());
        control<QCheckBox>(e.form.get(), "L640bakChB")->setChecked(true);
        control<QLineEdit>(e.form.get(), "ObjNumEdit")->setText("17");
        const QString copyPath = e.path("copy.rrg");
        QStringList copy = copyLines(1024, 3);
        copy[196] = "12";
        copy[197] = "0";
        copy[198] = "5";
        copy[199] = "9";
        writeLines(copyPath, copy);
        e.fake.dialogs.chooseNext(shippedFactoryFile().toStdString());
        e.fake.dialogs.chooseNext(copyPath.toStdString());
        e.form->LoadBitBtnClick();
        const auto& calls = e.fake.dialogs.calls();
        QCOMPARE(calls.size(), std::size_t(2));
        QCOMPARE(calls[1].file.title, std::string("Чтение сведений о регситрации"));
        QCOMPARE(calls[1].file.filter, std::string("Файлы регистрации (*.rrg)|*.rrg"));
        QCOMPARE(calls[1].file.defaultExt, std::string("rrg"));
        QCOMPARE(calls[1].file.initialDir, std::string("Reg_RPU"));
        QCOMPARE(calls[1].file.fileName, std::string());
        QCOMPARE(e.form->registrationCopyLines(), copy);
        QCOMPARE(control<QLabel>(e.form.get(), "RCopyFNameLabel2")->text(), QString("copy.rrg"));
        QCOMPARE(status(e.form.get()), QString("Чтение сведений о регистрации из файла завершено"));

        e.fake.dialogs.chooseNext(e.path("Conf/with_copy.cfg").toStdString());
        e.form->SaveBitBtnClick();
        const QString name = QString::fromStdString("L640D" + todayDateStamp() + "object_17_12_0_5_9.rrg");
        QCOMPARE(control<QLabel>(e.form.get(), "RCopyFNameLabel2")->text(), name);
        QCOMPARE(readAll(e.path("Reg_RPU/" + name)), readAll(copyPath));
        QCOMPARE(status(e.form.get()), QString("Запись конфигурации в файл завершена"));
        e.form->hide();
    }

    void registrationCopy_notWholeIsRefused_data() {
        QTest::addColumn<QStringList>("copy");
        QTest::addColumn<QString>("named");
        QTest::newRow("1023 lines") << copyLines(1023, 0) << "1023";
        QStringList big = copyLines(1024, 0);
        big[500] = "256";
        QTest::newRow("value 256") << big << "строка 501";
        QStringList word = copyLines(1024, 0);
        word[7] = "abc";
        QTest::newRow("not a number") << word << "строка 8";
    }
    void registrationCopy_notWholeIsRefused() {
        QFETCH(QStringList, copy);
        QFETCH(QString, named);
        EditorFixture e;
        const QStringList held = copyLines(1024, 9);
        e.form->setRegistrationCopy(registrationCopyOf(held), "held.rrg");
        control<QCheckBox>(e.form.get(), "L640bakChB")->setChecked(true);
        writeLines(e.path("bad.rrg"), copy);
        e.fake.dialogs.chooseNext(shippedFactoryFile().toStdString());
        e.fake.dialogs.chooseNext(e.path("bad.rrg").toStdString());
        e.form->LoadBitBtnClick();
        const auto messages = e.fake.dialogs.messages();
        QCOMPARE(messages.size(), std::size_t(1));
        const QString text = QString::fromStdString(messages[0].text);
        QVERIFY2(text.contains("bad.rrg") && text.contains(named), qPrintable(text));
        QCOMPARE(e.form->registrationCopyLines(), held);
        QCOMPARE(control<QLabel>(e.form.get(), "RCopyFNameLabel2")->text(), QString("held.rrg"));
    }

    void registrationCopy_missingWhenSaving_isToldAfterTheSettingsFile() {
        EditorFixture e;
        control<QCheckBox>(e.form.get(), "L640bakChB")->setChecked(true);
        e.form->ApplyImage(factoryImage());
        e.fake.dialogs.chooseNext(e.path("Conf/only.cfg").toStdString());
        e.form->SaveBitBtnClick();
        QVERIFY(QFile::exists(e.path("Conf/only.cfg")));
        QCOMPARE(e.fake.dialogs.messages().size(), std::size_t(1));
        QVERIFY(e.lastMessage().contains("Копия данных о регистрации не загружена"));
        QVERIFY(!QDir(e.path("Reg_RPU")).exists() || QDir(e.path("Reg_RPU")).isEmpty());
        QCOMPARE(status(e.form.get()),
                 QString("Настройки записаны в файл, копия сведений о регистрации не записана"));
    }

    void registrationCopy_objectNumberWithPath_isRefused() {
        EditorFixture e;
        control<QCheckBox>(e.form.get(), "L640bakChB")->setChecked(true);
        e.form->setRegistrationCopy(registrationCopyOf(copyLines(1024, 1)), QString());
        control<QLineEdit>(e.form.get(), "ObjNumEdit")->setText("../x");
        e.form->ApplyImage(factoryImage());
        e.fake.dialogs.chooseNext(e.path("Conf/obj.cfg").toStdString());
        e.form->SaveBitBtnClick();
        QCOMPARE(e.fake.dialogs.messages().size(), std::size_t(1));
        QCOMPARE(e.fake.dialogs.messages()[0].text, describe(checkObjectNumber("../x")));
        QVERIFY(QDir(e.folder.path()).entryList({"*.rrg"}).isEmpty());
    }
};

QTEST_MAIN(KvmFilesTest)
#include "kvm_files_test.moc"
