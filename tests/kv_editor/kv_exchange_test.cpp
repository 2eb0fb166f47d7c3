// The Ливна-КВ editor's work with the panel, reached through the wizard as the installer does
// ("Ливна-КВ", "Настройка прибора", "Продолжить >>") and run against the simulated panel: connect,
// read, write, their failures, disconnect, the busy window and the release of the link.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>

#include "editor_checks.h"
#include "kv_editor_fixture.h"
#include "panel_program.h"
#include "panelsim/in_process_panel.h"
#include "wizard/bootunit.h"
#include "wizard/wizardwindows.h"

using namespace livna;
using namespace livna::test;
using livna::panelsim::PanelConfig;
using livna::panelsim::PanelFault;
using livna::panelsim::PanelSystem;

namespace {

const QString kRead = QStringLiteral("Настройки успешно считаны из прибора.");
const QString kWritten = QStringLiteral("Настройки успешно записаны в прибор.");

PanelConfig kvPanel(unsigned version = 52) {
    PanelConfig c = PanelConfig::forSystem(PanelSystem::Kv);
    c.versionCode = version;
    return c;
}

QStringList numbered(const char* verb) {
    QStringList out;
    for (int b = 0; b < 9; ++b) out << QStringLiteral("%1 %2").arg(verb).arg(b);
    return out;
}
const QStringList kReads = numbered("read");
const QStringList kWrites = numbered("write");

const QStringList kConnected{"DisconnectButton", "ReadButton", "WriteButton",
                             "LoadBitBtn",       "SaveBitBtn", "DefaultButton"};

/// Every control through which the installer could start something, enabled ones only.
QStringList enabledStarters(QWidget* editor) {
    QStringList out = enabledButtons(editor);
    for (const char* name : {"HelpBitBtn", "OperatingModeCmB", "CommPortRdG", "MainPageC", "AdminPwdEdit",
                             "CodeEdit2", "ObjAssignSaveButton"})
        if (find(editor, name)->isEnabled()) out << name;
    return out;
}

QString text(QWidget* e, const char* label) {
    return control<QLabel>(e, label)->text();
}

void connectPanel(QWidget* e) {
    chooseCombo(e, "OperatingModeCmB", QStringLiteral("on-line"));
    click(e, "ConnectButton");
}

/// The wizard of Setka640DKV_KVM over one simulated Ливна-КВ panel holding the dense image.
struct Rig : WizardOverPanel {
    explicit Rig(PanelConfig config = kvPanel(), bool panelProgram = false)
        : WizardOverPanel(std::move(config), denseKvImage(), panelProgram) {}
    TL640KVForm* editor() const { return windows.kvEditor(); }
    /// The editor reached through the wizard (see inSettingsEditor).
    void inEditor(const std::function<void(TL640KVForm*)>& body, int timeoutMs = kModalTimeoutMs) {
        inSettingsEditor(
            windows, WizardSystem::Kv, editor(), [&] { body(editor()); }, timeoutMs);
    }
};

SettingsImage gather(TL640KVForm* e) {
    auto image = e->KvGatherImage();
    if (!image) fail("KvGatherImage refused");
    return *image;
}

}  // namespace

class KvExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void connect_version52_showsLabelsAndReadsAtOnce() {
        Rig rig;
        rig.inEditor([&](TL640KVForm* e) {
            QSignalSpy progress(e->progressBar(), &QProgressBar::valueChanged);
            connectPanel(e);
            QCOMPARE(text(e, "DevTypeLabel2"), QString("Ливна-640, плата d"));
            QCOMPARE(text(e, "DevSoftVerLabel2"), QString("5.2"));
            QCOMPARE(enabledButtons(e), kConnected);
            QCOMPARE(e->statusBar()->currentMessage(), kRead);
            QCOMPARE(progressValues(progress), QList<int>({11, 22, 33, 44, 55, 66, 77, 88, 100, 0}));
            LIVNA_COMPARE_IMAGES(gather(e), denseKvImage());
            QCOMPARE(e->tmpListB().size(), 2304);
            QCOMPARE(control<QLineEdit>(e, "NumCodeEdit")->text(), QString("32"));
            // One line per value received: its place in the block and the value.
            const QStringList memo = control<QPlainTextEdit>(e, "Memo1")->toPlainText().split('\n');
            QCOMPARE(memo.size(), 2304);
            QCOMPARE(memo[0], QString("0 - 170"));
            QCOMPARE(memo[256 + 255], QString("255 - %1").arg(denseKvImage()[511]));
        });
        QCOMPARE(requests(rig.board()), QStringList({"identify AA"}) + kReads);
        QVERIFY2(rig.fake.dialogs.calls().empty(), qPrintable(rig.messageTexts().join(" | ")));
    }

    void connect_otherFamily_refusedAndDisconnected() {
        Rig rig(kvPanel(32));
        rig.inEditor([&](TL640KVForm* e) {
            const SettingsImage before = gather(e);
            connectPanel(e);
            const auto shown = rig.fake.dialogs.messages();
            QCOMPARE(shown.size(), std::size_t{1});
            QCOMPARE(QString::fromStdString(shown[0].text),
                     QString("Подключенный прибор не соответствует выбранному типу системы!"));
            QCOMPARE(QString::fromStdString(shown[0].caption), QString("Сообщение системы"));
            QCOMPARE(enabledButtons(e), QStringList({"ConnectButton", "DefaultButton"}));
            QCOMPARE(text(e, "DevSoftVerLabel2"), QString());
            QCOMPARE(e->statusBar()->currentMessage(), QString("Связь с прибором разорвана."));
            LIVNA_COMPARE_IMAGES(gather(e), before);
        });
        QCOMPARE(requests(rig.board()), QStringList({"identify AA"}));
    }

    void read_failedBlock_appliesNothingAndNamesIt() {
        Rig rig;
        rig.inEditor([&](TL640KVForm* e) {
            connectPanel(e);
            click(e, "DefaultButton");
            const QStringList lines = e->tmpListB();
            rig.board().clearEvents();
            rig.fake.dialogs.clear();
            rig.board().addFault({PanelFault::Kind::ReadFails, 8, 0});
            click(e, "ReadButton");
            LIVNA_COMPARE_IMAGES(gather(e), kvFactoryImage());
            QCOMPARE(e->tmpListB(), lines);
            QVERIFY2(e->statusBar()->currentMessage().contains("не прочитан блок памяти 8."),
                     qPrintable(e->statusBar()->currentMessage()));
            const QStringList told = rig.messageTexts();
            QCOMPARE(told.size(), 1);
            QVERIFY2(told[0].contains("блок памяти 8 "), qPrintable(told[0]));
            QCOMPARE(enabledButtons(e), kConnected);
        });
        QCOMPARE(requests(rig.board()), kReads);
    }

    void write_allNineBlocksInOrder_withProgress() {
        Rig rig;
        rig.inEditor([&](TL640KVForm* e) {
            connectPanel(e);
            click(e, "DefaultButton");
            rig.board().clearEvents();
            QSignalSpy progress(e->progressBar(), &QProgressBar::valueChanged);
            click(e, "WriteButton");
            QCOMPARE(progressValues(progress), QList<int>({11, 22, 33, 44, 55, 66, 77, 88, 100, 0}));
            QCOMPARE(e->statusBar()->currentMessage(), kWritten);
        });
        QCOMPARE(requests(rig.board()), kWrites);
        LIVNA_COMPARE_IMAGES(rig.board().image(), kvFactoryImage());
        QVERIFY2(rig.fake.dialogs.calls().empty(), qPrintable(rig.messageTexts().join(" | ")));
    }

    void write_refusedBlock2_theOthersWrittenAndBlock2Named() {
        Rig rig;
        rig.inEditor([&](TL640KVForm* e) {
            connectPanel(e);
            click(e, "DefaultButton");
            rig.board().clearEvents();
            rig.board().addFault({PanelFault::Kind::WriteRefused, 2, 0});
            click(e, "WriteButton");
            QVERIFY2(e->statusBar()->currentMessage().contains("не записан блок памяти 2."),
                     qPrintable(e->statusBar()->currentMessage()));
            const QStringList told = rig.messageTexts();
            QCOMPARE(told.size(), 1);
            QVERIFY2(told[0].contains("блок памяти 2 "), qPrintable(told[0]));
        });
        QCOMPARE(requests(rig.board()), kWrites);
        const SettingsImage board = rig.board().image();
        const SettingsImage factory = kvFactoryImage();
        const SettingsImage dense = denseKvImage();
        for (std::size_t i = 0; i < kKvImageSize; ++i)
            QCOMPARE(board[i], i / kBlockSize == 2 ? dense[i] : factory[i]);
    }

    void disconnect_sendsNothing_andClosingReleasesTheLink() {
        Rig rig;
        rig.inEditor([&](TL640KVForm* e) {
            connectPanel(e);
            click(e, "DisconnectButton");
            QCOMPARE(enabledButtons(e), QStringList({"ConnectButton", "DefaultButton"}));
            QCOMPARE(text(e, "DevTypeLabel2"), QString());
            QCOMPARE(e->statusBar()->currentMessage(), QString("Связь с прибором разорвана."));
            QVERIFY(rig.pipes().isOpen());
            click(e, "ConnectButton");
            QCOMPARE(enabledButtons(e), kConnected);
        });
        QVERIFY(!rig.pipes().isOpen());
        rig.inEditor([&](TL640KVForm* e) {
            QCOMPARE(enabledButtons(e), QStringList({"LoadBitBtn", "SaveBitBtn", "DefaultButton"}));
            QCOMPARE(text(e, "DevSoftVerLabel2"), QString());
            connectPanel(e);  // a fresh discovery
            QCOMPARE(e->statusBar()->currentMessage(), kRead);
        });
        QVERIFY(!requests(rig.board()).contains("end"));
        QCOMPARE(requests(rig.board()).count("identify AA"), 3);
    }

    // While an exchange runs nothing can be started, the window cannot be closed, and showing the
    // read image switches nothing on before the exchange ends.
    void busyExchange_holdsOffEverything_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("connect and read") << "ConnectButton";
        QTest::newRow("read") << "ReadButton";
        QTest::newRow("write") << "WriteButton";
    }
    void busyExchange_holdsOffEverything() {
        QFETCH(QString, button);
        Rig rig;
        rig.inEditor([&](TL640KVForm* e) {
            chooseCombo(e, "OperatingModeCmB", QStringLiteral("on-line"));
            if (button != "ConnectButton") click(e, "ConnectButton");
            rig.board().clearEvents();
            int turns = 0;
            QStringList enabledDuring;
            bool visibleAfterClosing = false;
            QTimer watch;
            watch.setInterval(0);
            connect(&watch, &QTimer::timeout, e, [&] {
                if (!e->busy()) return;
                if (++turns == 1) {
                    pressKey(e, Qt::Key_Escape);
                    e->close();
                    visibleAfterClosing = e->isVisible();
                }
                for (const QString& name : enabledStarters(e))
                    if (!enabledDuring.contains(name)) enabledDuring << name;
            });
            watch.start();
            click(e, button);
            watch.stop();
            QVERIFY2(turns > 8, qPrintable(QString("watched on %1 turns only").arg(turns)));
            QCOMPARE(enabledDuring, QStringList());
            QVERIFY(visibleAfterClosing);
            QVERIFY(e->isVisible());
            QCOMPARE(enabledButtons(e), kConnected);
        });
        const QStringList once = button == "WriteButton" ? kWrites : kReads;
        QCOMPARE(requests(rig.board()),
                 button == "ConnectButton" ? QStringList({"identify AA"}) + once : once);
    }

    // ---- end to end -----------------------------------------------------------------------------

    void edits_writtenAndReadBack_data() {
        QTest::addColumn<bool>("panelProgram");
        QTest::newRow("simulator in the process") << false;
        QTest::newRow("panelsim program over the FIFO backend") << true;
    }
    void edits_writtenAndReadBack() {
        QFETCH(bool, panelProgram);
        Rig rig(kvPanel(), panelProgram);
        rig.inEditor(
            [&](TL640KVForm* e) {
                connectPanel(e);
                QCOMPARE(e->statusBar()->currentMessage(), kRead);
                typeInto(e, "AdminPwdEdit", "1234");
                typeInto(e, "EnginPwdEdit", "907");
                e->tabs()->setCurrentIndex(2);
                chooseRadio(e, "ReleWorkMode1", 1);
                chooseRadio(e, "ReleWorkMode2", 2);
                e->tabs()->setCurrentIndex(0);
                click(e, "DtctrOpenFailChB");
                typeInto(e, "KeyBSoundDurEdit", "77");
                click(e, "WriteButton");
                QCOMPARE(e->statusBar()->currentMessage(), kWritten);
                click(e, "DefaultButton");  // the editor forgets them...
                QCOMPARE(control<QLineEdit>(e, "AdminPwdEdit")->text(), QString("5836"));
                click(e, "ReadButton");  // ...and gets them back from the panel
                QCOMPARE(e->statusBar()->currentMessage(), kRead);
                QCOMPARE(control<QLineEdit>(e, "AdminPwdEdit")->text(), QString("1234"));
                QCOMPARE(control<QLineEdit>(e, "EnginPwdEdit")->text(), QString("907"));
                QCOMPARE(checkedRadio(e, "ReleWorkMode1"), 1);
                QCOMPARE(checkedRadio(e, "ReleWorkMode2"), 2);
                QVERIFY(control<QCheckBox>(e, "DtctrOpenFailChB")->isChecked());
                QVERIFY(!control<QCheckBox>(e, "DtctrOpenAlarmChB")->isChecked());
                QCOMPARE(control<QLineEdit>(e, "KeyBSoundDurEdit")->text(), QString("77"));
            },
            20000);
        QVERIFY2(rig.fake.dialogs.calls().empty(), qPrintable(rig.messageTexts().join(" | ")));
        const SettingsImage stored = rig.panelImage();
        QCOMPARE(stored[13], 129);
        QCOMPARE(stored[16], 132);
        QCOMPARE(stored[20], 255);
        QCOMPARE(stored[25], 0x21);
        QCOMPARE(stored[27], 77);
        QCOMPARE(stored[33], 0);
        QCOMPARE(stored[1], 52);
        QCOMPARE(rig.panelRequests(), QStringList({"identify AA"}) + kReads + kWrites + kReads);
    }

    // Codes added and zones moved, one object switched off, written and read back: the grids show
    // them again and the board holds them in blocks 1..8.
    void codesAndZones_writtenAndReadBack() {
        Rig rig;
        rig.inEditor(
            [&](TL640KVForm* e) {
                connectPanel(e);
                QCOMPARE(e->statusBar()->currentMessage(), kRead);
                e->tabs()->setCurrentIndex(1);
                typeInto(e, "NumCodeEdit", "2");
                clickArrow(e, "NumCodeUpDown", Qt::UpArrow);
                auto* codes = control<QTableView>(e, "CodeEditStrGrid");
                clickCell(codes, 2, 1);
                typeInto(e, "CodeEdit2", "4567");
                click(e, "CodeEditSaveButton");

                // Object 5 gives up ШС 5 of РПД 1; object 4 takes it and is switched off.
                e->tabs()->setCurrentIndex(3);
                auto* objects = control<QTableView>(e, "ObjAssignStrGrid");
                clickCell(objects, 4, 0);
                click(e, "Zone5ChB");
                click(e, "ObjAssignSaveButton");
                clickCell(objects, 3, 0);
                click(e, "Zone5ChB");
                click(e, "OnOffChB");
                click(e, "ObjAssignSaveButton");

                click(e, "WriteButton");
                QCOMPARE(e->statusBar()->currentMessage(), kWritten);
                click(e, "DefaultButton");
                QCOMPARE(codes->model()->rowCount(), 1);
                click(e, "ReadButton");
                QCOMPARE(e->statusBar()->currentMessage(), kRead);
                QCOMPARE(codes->model()->rowCount(), 3);
                QCOMPARE(codes->model()->index(2, 1).data().toString(), QString("4567"));
                QCOMPARE(codes->model()->index(2, 0).data().toString(), QString("3"));
                QCOMPARE(gridRow(objects, 3),
                         QStringList({"4", "   ", "1", "Доступные ШС:", "", "", "", " X", " X", "", "", ""}));
                QCOMPARE(gridRow(objects, 4),
                         QStringList({"5", "   X", "0", "Доступные ШС:", "", "", "", "", "", "", "", ""}));
            },
            20000);
        QVERIFY2(rig.fake.dialogs.calls().empty(), qPrintable(rig.messageTexts().join(" | ")));
        const SettingsImage stored = rig.panelImage();
        // Block 1: РПД 1's mask without objects 3, 4 (ШС 4 and 5) and 6; object 5 still names РПД 1.
        QCOMPARE(stored[256], 0xC3);
        QCOMPARE(stored[358], 33);
        QCOMPARE(stored[359], 0xFF);
        QCOMPARE(stored[360], 33);
        // Block 2: three codes, the third added and stored, the fourth no longer in use.
        QCOMPARE(stored[23], 3);
        for (std::size_t i = 0; i < 6; ++i) {
            QCOMPARE(stored[518 + i], i < 4 ? 129 + static_cast<std::int32_t>(i) : 255);  // "1234" kept
            QCOMPARE(stored[524 + i], i < 4 ? 132 + static_cast<std::int32_t>(i) : 255);
            QCOMPARE(stored[530 + i], 255);
        }
        // Blocks 3..8: ШС 5 of РПД 1 is object 4's.
        QCOMPARE(stored[kvZoneAt(1, 5)], 4);
        QCOMPARE(stored[kvZoneAt(1, 5) + 1], 0);
        QCOMPARE(stored[kvZoneAt(1, 4)], 4);
    }
};

QTEST_MAIN(KvExchangeTest)
#include "kv_exchange_test.moc"
