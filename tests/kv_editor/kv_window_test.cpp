// The Ливна-КВ editor window without a panel: its controls by name, the copying between image and
// controls, the settings files, the work mode and the diagnostic view.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

#include <functional>

#include "editor_checks.h"
#include "kv_editor_fixture.h"

using namespace livna;
using namespace livna::test;

namespace {

QStringList comboItems(QWidget* root, const QString& name) {
    auto* combo = control<QComboBox>(root, name);
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
}

/// The caption of the label in the same grid row, left of the control.
QString captionOf(QWidget* field) {
    QWidget* parent = field->parentWidget();
    const QPoint centre = field->geometry().center();
    QLabel* best = nullptr;
    for (QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (qAbs(label->geometry().center().y() - centre.y()) < 8 && label->geometry().right() < field->x() &&
            (best == nullptr || label->x() > best->x()))
            best = label;
    return best != nullptr ? best->text() : QString();
}

}  // namespace

class KvWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    // ---- controls -----------------------------------------------------------------------------

    void controls_carryTheirNamesCaptionsAndItems() {
        KvEditorFixture e;
        showWindow(e.form.get());
        QCOMPARE(e.form->size(), QSize(800, 600));
        auto* tabs = control<QTabWidget>(e.form.get(), "MainPageC");
        QStringList captions;
        for (int i = 0; i < tabs->count(); ++i) captions << tabs->tabText(i);
        QCOMPARE(captions, QStringList({"Главная", "Редактирование кодов", "Реле", "Назначение в объекты"}));
        for (const char* page : {"MainTabSheet", "CodeEditTabSheet", "ReleTabSheet", "ObjAssignTabSheet"})
            QVERIFY2(tabs->indexOf(find(e.form.get(), page)) >= 0, page);

        // The password names cross their captions.
        auto* engineer = control<QLineEdit>(e.form.get(), "AdminPwdEdit");
        auto* administrator = control<QLineEdit>(e.form.get(), "EnginPwdEdit");
        QCOMPARE(captionOf(engineer), QString("Пароль инженера"));
        QCOMPARE(engineer->maxLength(), 4);
        QCOMPARE(captionOf(administrator), QString("Пароль администратора"));
        QCOMPARE(administrator->maxLength(), 6);
        QCOMPARE(captionOf(find(e.form.get(), "EnginPwdResetCmB")), QString("Сброс пароля"));
        QCOMPARE(comboItems(e.form.get(), "EnginPwdResetCmB"), QStringList({"Разрешен", "Запрещен"}));
        QCOMPARE(comboItems(e.form.get(), "OperatingModeCmB"), QStringList({"демо", "on-line"}));
        QCOMPARE(radioItems(e.form.get(), "ReleWorkMode1"),
                 QStringList({"ПЦН тревога", "Контрольная лампа", "Звуковой"}));
        QCOMPARE(radioItems(e.form.get(), "ReleWorkMode2"),
                 QStringList({"ПЦН пожар", "Контрольная лампа", "Звуковой"}));
        const std::pair<const char*, const char*> buttons[] = {
            {"KeyBSoundOnRdB", "Включен:"},
            {"KeyBSoundOffRdB", "Выключен:"},
            {"KeyBSoundOnlyAlarmRdB", "Только тревога:"},
            {"LCDLightOnRdB", "Включена:"},
            {"LCDLightOffRdB", "Выключена:"},
            {"LCDLightAutoRdB", "Автоматически:"},
            {"ConnectButton", "Установить связь"},
            {"DisconnectButton", "Разорвать связь"},
            {"WriteButton", "Записать в прибор "},
            {"ReadButton", "Считать из прибора"},
            {"SaveBitBtn", "Записать в файл"},
            {"LoadBitBtn", "Считать из файла"},
            {"DefaultButton", "Завод. настройки"},
            {"CodeEditSaveButton", "Сохранить изменения"},
            {"ObjAssignSaveButton", "Сохранить изменения"}};
        for (const auto& [name, caption] : buttons)
            QCOMPARE(control<QAbstractButton>(e.form.get(), name)->text(), QString(caption));
        for (const char* name :
             {"PanelOpenFailChB", "PanelOpenAlarmChB", "RCVOpenFailChB", "RCVOpenAlarmChB",
              "DtctrOpenFailChB", "DtctrOpenAlarmChB", "NoRCVConnFailChB", "NoRCVConnAlarmChB",
              "NoDtctrConnFailChB", "NoDtctrConnAlarmChB", "RCBlockFailChB", "RCBlockAlarmChB",
              "NoMRConnFailChB", "NoMRConnAlarmChB", "OnOffChB", "Zone1ChB", "Zone8ChB"})
            control<QCheckBox>(e.form.get(), name);
        for (const char* name : {"KeyBSoundDurEdit", "LCDLightDurEdit", "NumCodeEdit", "CodeEdit",
                                 "CodeEdit2", "ObjLabeledEdit"})
            control<QLineEdit>(e.form.get(), name);
        for (const char* name : {"KeyBSoundDurUpDown", "LCDLightDurUpDown", "NumCodeUpDown"})
            control<UpDown>(e.form.get(), name);
        for (const char* name : {"DevTypeLabel2", "DevSoftVerLabel2", "ZoneNumLabel2", "ObjNumLabel2"})
            control<QLabel>(e.form.get(), name);
        QCOMPARE(comboItems(e.form.get(), "RPDCmB").size(), 96);
        QCOMPARE(comboItems(e.form.get(), "RPDCmB").last(), QString("96"));
        QCOMPARE(comboItems(e.form.get(), "DeviceSpeedCmB"), QStringList({"1200", "4800"}));

        auto* objects = control<QTableView>(e.form.get(), "ObjAssignStrGrid");
        QCOMPARE(objects->model()->rowCount(), 768);
        QStringList headers;
        QList<int> widths;
        for (int c = 0; c < objects->model()->columnCount(); ++c) {
            headers << objects->model()->headerData(c, Qt::Horizontal).toString();
            widths << objects->columnWidth(c);
        }
        QCOMPARE(headers, QStringList({"Объект", "Вкл.", "РПД", "Доступные ШС:", " 1", " 2", " 3", " 4", " 5",
                                       " 6", " 7", " 8"}));
        QCOMPARE(widths, QList<int>({45, 30, 30, 85, 20, 20, 20, 20, 20, 20, 20, 20}));
        auto* codes = control<QTableView>(e.form.get(), "CodeEditStrGrid");
        QCOMPARE(codes->model()->headerData(0, Qt::Horizontal).toString(), QString("Номер"));
        QCOMPARE(codes->model()->headerData(1, Qt::Horizontal).toString(), QString("Код"));
        QCOMPARE(codes->model()->rowCount(), 1);  // the empty row below the header at count 0
    }

    // ---- start-up and the factory file ----------------------------------------------------------

    void startUp_showsTheFactorySettings_aFixedPoint() {
        KvEditorFixture e;
        showWindow(e.form.get());
        QVERIFY2(e.fake.dialogs.calls().empty(), qPrintable(e.messageTexts().join(" | ")));
        QCOMPARE(control<QLineEdit>(e.form.get(), "AdminPwdEdit")->text(), QString("5836"));
        QCOMPARE(control<QLineEdit>(e.form.get(), "EnginPwdEdit")->text(), QString("857"));
        QCOMPARE(checkedRadio(e.form.get(), "ReleWorkMode1"), 0);
        QCOMPARE(checkedRadio(e.form.get(), "ReleWorkMode2"), 2);
        QVERIFY(control<QRadioButton>(e.form.get(), "KeyBSoundOnRdB")->isChecked());
        QVERIFY(control<QRadioButton>(e.form.get(), "LCDLightAutoRdB")->isChecked());
        QCOMPARE(control<QLineEdit>(e.form.get(), "LCDLightDurEdit")->text(), QString("120"));
        QVERIFY(control<QCheckBox>(e.form.get(), "PanelOpenAlarmChB")->isChecked());
        QVERIFY(control<QCheckBox>(e.form.get(), "NoMRConnFailChB")->isChecked());
        QCOMPARE(e.form->tmpListB(), imageLines(kvFactoryImage()));
        LIVNA_COMPARE_IMAGES(e.gather(), kvFactoryImage());
    }

    // ---- image <-> controls -------------------------------------------------------------------

    // Values a control cannot show leave it without a choice and are written back as read; the
    // other relay keeps its own half.
    void applyGather_valuesWithoutAnItem_writtenBackAsRead_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("noChoice");  // the control left without a choice
        QTest::addColumn<int>("back");
        QTest::newRow("relay 1 half 3") << 25 << 0x13 << "ReleWorkMode1" << 0x13;
        QTest::newRow("relay 2 half 5") << 25 << 0x51 << "ReleWorkMode2" << 0x51;
        QTest::newRow("password reset 7") << 12 << 7 << "EnginPwdResetCmB" << 7;
        QTest::newRow("sound 9") << 26 << 9 << "KeyBSoundOnRdB" << 9;
        QTest::newRow("backlight 200") << 28 << 200 << "LCDLightOnRdB" << 200;
        QTest::newRow("both relays on the lamp") << 25 << 0x11 << "" << 0x11;
        QTest::newRow("speed 90") << 30 << 90 << "" << 90;
        QTest::newRow("speed 0") << 30 << 0 << "" << 255;
    }
    void applyGather_valuesWithoutAnItem_writtenBackAsRead() {
        QFETCH(int, index);
        QFETCH(int, value);
        QFETCH(QString, noChoice);
        QFETCH(int, back);
        KvEditorFixture e;
        showWindow(e.form.get());
        SettingsImage image = kvFactoryImage();
        image[static_cast<std::size_t>(index)] = value;
        e.form->KvApplyImage(image);
        if (noChoice.startsWith("Rele")) QCOMPARE(checkedRadio(e.form.get(), noChoice), -1);
        if (noChoice == "EnginPwdResetCmB")
            QCOMPARE(control<QComboBox>(e.form.get(), noChoice)->currentIndex(), -1);
        if (noChoice.endsWith("RdB"))
            for (QRadioButton* b :
                 find(e.form.get(), noChoice)->parentWidget()->findChildren<QRadioButton*>())
                QVERIFY2(!b->isChecked(), qPrintable(b->objectName()));
        if (index == 25 && noChoice.isEmpty()) {
            QCOMPARE(checkedRadio(e.form.get(), "ReleWorkMode1"), 1);
            QCOMPARE(checkedRadio(e.form.get(), "ReleWorkMode2"), 1);
        }
        QCOMPARE(e.gather()[static_cast<std::size_t>(index)], back);
        // A later choice is stored as chosen.
        if (noChoice.startsWith("Rele")) {
            e.form->tabs()->setCurrentIndex(2);
            chooseRadio(e.form.get(), noChoice, 2);
            const bool first = noChoice.endsWith('1');
            QCOMPARE(e.gather()[25], (value & (first ? 0xF0 : 0x0F)) | (first ? 2 : 2 << 4));
        }
    }

    void notificationPair_oneBoxAtATime_neitherIsUnused() {
        KvEditorFixture e;
        showWindow(e.form.get());
        auto* trouble = control<QCheckBox>(e.form.get(), "RCVOpenFailChB");
        auto* alarm = control<QCheckBox>(e.form.get(), "RCVOpenAlarmChB");
        QVERIFY(alarm->isChecked());
        click(trouble);
        QVERIFY(trouble->isChecked() && !alarm->isChecked());
        QCOMPARE(e.gather()[32], 0);
        click(alarm);
        QVERIFY(!trouble->isChecked() && alarm->isChecked());
        QCOMPARE(e.gather()[32], 1);
        click(alarm);
        QVERIFY(!trouble->isChecked() && !alarm->isChecked());
        QCOMPARE(e.gather()[32], 255);
    }

    // Zone entries naming no object of 1..768 are not stored: one box counts them and names the first.
    void apply_zonesOfNoObject_toldOnce_shownFree() {
        KvEditorFixture e;
        showWindow(e.form.get());
        SettingsImage image = kvFactoryImage();
        image[kvZoneAt(4, 3)] = 1;  // 769
        image[kvZoneAt(4, 3) + 1] = 3;
        image[kvZoneAt(9, 1)] = 0;  // -256
        image[kvZoneAt(9, 1) + 1] = -1;
        image[kvZoneAt(9, 2)] = 12;
        e.form->KvApplyImage(image);
        const auto shown = e.fake.dialogs.messages();
        QCOMPARE(shown.size(), std::size_t{1});
        const QString text = QString::fromStdString(shown[0].text);
        QVERIFY2(text.contains(": 2 (первая: РПД 4, ШС 3, объект 769)") && text.contains("освободит"),
                 qPrintable(text));
        QCOMPARE(QString::fromStdString(shown[0].caption), QString("Системное сообщение"));
        const SettingsImage back = e.gather();
        QCOMPARE(back[kvZoneAt(4, 3)], 0);
        QCOMPARE(back[kvZoneAt(4, 3) + 1], 0);
        QCOMPARE(back[kvZoneAt(9, 1) + 1], 0);
        QCOMPARE(back[kvZoneAt(9, 2)], 12);
        auto* grid = control<QTableView>(e.form.get(), "ObjAssignStrGrid");
        QCOMPARE(grid->model()->index(11, 2).data().toString(), QString("9"));
        QCOMPARE(grid->model()->index(11, 5).data().toString(), QString(" X"));
    }

    // A slot holding 10..15 shows as one letter; gathering refuses the field, names it, and takes
    // the focus there; nothing is saved.
    void gather_letterInAPasswordOrCode_refusedNamingTheField_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("focus");
        QTest::newRow("engineer password") << 14 << "Пароль инженера"
                                           << "AdminPwdEdit";
        QTest::newRow("administrator password") << 20 << "Пароль администратора"
                                                << "EnginPwdEdit";
        QTest::newRow("code 2") << 519 << "Код 2 (\"3C\")"
                                << "CodeEditStrGrid";
    }
    void gather_letterInAPasswordOrCode_refusedNamingTheField() {
        QFETCH(int, index);
        QFETCH(QString, named);
        QFETCH(QString, focus);
        KvEditorFixture e;
        showWindow(e.form.get());
        SettingsImage image = kvFactoryImage();
        image[23] = 2;
        image[512] = 129;
        image[518] = 131;
        image[static_cast<std::size_t>(index)] = 0x8C;
        e.form->KvApplyImage(image);
        if (index == 14) QCOMPARE(control<QLineEdit>(e.form.get(), "AdminPwdEdit")->text(), QString("5C36"));
        const QStringList lines = e.form->tmpListB();
        e.fake.dialogs.clear();
        e.fake.dialogs.chooseNext(e.path("Conf/saved.cfg").toStdString());
        click(e.form.get(), "SaveBitBtn");
        const QStringList told = e.messageTexts();
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].contains(named), qPrintable(told[0]));
        QCOMPARE(e.fake.dialogs.calls().size(), std::size_t{1});  // no save dialog after the refusal
        QVERIFY(!QFile::exists(e.path("Conf/saved.cfg")));
        QCOMPARE(e.form->tmpListB(), lines);
        QCOMPARE(e.form->focusWidget(), find(e.form.get(), focus));
        QCOMPARE(e.status(), QString("Запись настроек в файл не выполнена"));
    }

    // ---- files ----------------------------------------------------------------------------------

    void saveRightAfterStartUp_writesTheFactoryFile() {
        KvEditorFixture e;
        showWindow(e.form.get());
        e.fake.dialogs.chooseNext(e.path("Conf/saved.cfg").toStdString());
        click(e.form.get(), "SaveBitBtn");
        const QByteArray bytes = readAll(e.path("Conf/saved.cfg"));
        QVERIFY(bytes.startsWith("170\r\n52\r\n"));
        QCOMPARE(bytes.count('\n'), 2304);
        QCOMPARE(bytes, readAll(shippedKvFactoryFile()));
        QCOMPARE(e.status(), QString("Запись настроек в файл завершена"));
        const auto request = e.fake.dialogs.calls().front().file;
        QCOMPARE(QString::fromStdString(request.title), QString("Сохранение файла настроек"));
        QCOMPARE(QString::fromStdString(request.fileName), "640kv" + e.form->dateStamp());
        QCOMPARE(QString::fromStdString(request.filter), QString("Файлы настроек (*.cfg)|*.cfg"));
    }

    void saveAndLoad_roundTrip_andOverwriteAnsweredNo() {
        KvEditorFixture e;
        showWindow(e.form.get());
        const SettingsImage dense = denseKvImage();
        e.form->KvApplyImage(dense);
        typeInto(e.form.get(), "AdminPwdEdit", "0042");
        e.form->tabs()->setCurrentIndex(2);
        chooseRadio(e.form.get(), "ReleWorkMode2", 0);
        SettingsImage want = dense;
        for (std::size_t i = 0; i < 4; ++i)
            want[13 + i] = 128 + QString("0042")[static_cast<qsizetype>(i)].digitValue();
        want[25] = 0x02;
        e.fake.dialogs.chooseNext(e.path("Conf/mine.cfg").toStdString());
        click(e.form.get(), "SaveBitBtn");
        click(e.form.get(), "DefaultButton");
        QCOMPARE(e.status(), QString("Заводские настройки выставлены"));
        LIVNA_COMPARE_IMAGES(e.gather(), kvFactoryImage());
        e.fake.dialogs.chooseNext(e.path("Conf/mine.cfg").toStdString());
        click(e.form.get(), "LoadBitBtn");
        QCOMPARE(e.status(), QString("Чтение настроек из файла завершено"));
        const auto open = e.fake.dialogs.calls().back().file;
        QCOMPARE(QString::fromStdString(open.fileName), QString("640kv*"));
        QCOMPARE(QString::fromStdString(open.title), QString("Открытие файла настроек"));
        LIVNA_COMPARE_IMAGES(e.gather(), want);

        // The same name again, answered No: the file stays as it was.
        const QByteArray before = readAll(e.path("Conf/mine.cfg"));
        click(e.form.get(), "DefaultButton");
        e.fake.dialogs.clear();
        e.fake.dialogs.chooseNext(e.path("Conf/mine.cfg").toStdString());
        e.fake.dialogs.answerNext(MsgAnswer::No);
        click(e.form.get(), "SaveBitBtn");
        QCOMPARE(e.messageTexts(), QStringList{"Файл с указанным именем уже существует! Хотите заменить?"});
        QCOMPARE(readAll(e.path("Conf/mine.cfg")), before);
    }

    // A file that cannot be used whole changes nothing: one box names the file and the line.
    void load_unusableFile_refusedNothingChanged_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("badLine");  // 1-based, 0 = none
        QTest::addColumn<QString>("named");
        QTest::newRow("2303 lines") << 2303 << 0 << "2303";
        QTest::newRow("x at line 1000") << 2304 << 1000 << "1000";
        QTest::newRow("a Ливна-КВ-М file of 2048 lines") << 2048 << 0 << "2048";
    }
    void load_unusableFile_refusedNothingChanged() {
        QFETCH(int, lines);
        QFETCH(int, badLine);
        QFETCH(QString, named);
        KvEditorFixture e;
        showWindow(e.form.get());
        e.form->KvApplyImage(denseKvImage());
        const QStringList shown = e.form->tmpListB();
        QStringList file = imageLines(kvFactoryImage()).mid(0, lines);
        if (badLine > 0) file[badLine - 1] = "x";
        writeLines(e.path("Conf/bad.cfg"), file);
        e.fake.dialogs.clear();
        e.fake.dialogs.chooseNext(e.path("Conf/bad.cfg").toStdString());
        click(e.form.get(), "LoadBitBtn");
        const QStringList told = e.messageTexts();
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].contains("bad.cfg") && told[0].contains(named), qPrintable(told[0]));
        QCOMPARE(e.form->tmpListB(), shown);
        LIVNA_COMPARE_IMAGES(e.gather(), denseKvImage());
        QCOMPARE(e.status(), QString("Чтение настроек из файла не выполнено"));
    }

    // ---- work mode and the diagnostic view ----------------------------------------------------

    void workMode_demoOffersFiles_onlineOnlyConnect() {
        KvEditorFixture e;
        showWindow(e.form.get());
        QCOMPARE(control<QComboBox>(e.form.get(), "OperatingModeCmB")->currentText(), QString("демо"));
        QCOMPARE(enabledButtons(e.form.get()), QStringList({"LoadBitBtn", "SaveBitBtn", "DefaultButton"}));
        chooseCombo(e.form.get(), "OperatingModeCmB", QStringLiteral("on-line"));
        QCOMPARE(enabledButtons(e.form.get()), QStringList({"ConnectButton", "DefaultButton"}));
        chooseCombo(e.form.get(), "OperatingModeCmB", QStringLiteral("демо"));
        QCOMPARE(enabledButtons(e.form.get()), QStringList({"LoadBitBtn", "SaveBitBtn", "DefaultButton"}));
        QVERIFY(e.fake.dialogs.calls().empty());
    }

    void f5_showsTheImageLines_aClickedLineNamesItsIndex() {
        KvEditorFixture e;
        showWindow(e.form.get());
        auto* list = control<QListView>(e.form.get(), "tmpListB");
        QVERIFY(!list->isVisible());
        pressKey(control<QLineEdit>(e.form.get(), "AdminPwdEdit"), Qt::Key_F5);
        for (const char* name : {"tmpListB", "Memo1", "Memo2", "Button1"})
            QVERIFY2(find(e.form.get(), name)->isVisible(), name);
        QCOMPARE(list->model()->rowCount(), 2304);
        const QModelIndex line = list->model()->index(30, 0);
        list->scrollTo(line);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(line).center());
        QCOMPARE(e.form->windowTitle(), QString("30"));
        typeInto(e.form.get(), "AdminPwdEdit", "77");
        click(e.form.get(), "Button1");
        QCOMPARE(e.form->tmpListB().mid(13, 4), QStringList({"135", "135", "255", "255"}));
        pressKey(e.form.get(), Qt::Key_F5);
        QVERIFY(!list->isVisible());
    }
};

QTEST_MAIN(KvWindowTest)
#include "kv_window_test.moc"
