// The Ливна-КВ-М editor's work with the panel, reached through the wizard as the installer does
// ("Ливна-КВ-М", "Настройка прибора", "Продолжить >>") and run against the simulated panel: the
// work mode, connect, read, write, the registration blocks, disconnect, failures, the busy
// window, and the release of the link.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

#include "kvm_editor_fixture.h"
#include "panel_program.h"
#include "panelsim/in_process_panel.h"
#include "usblink/fifo_platform.h"
#include "wizard/bootunit.h"
#include "wizard/wizardwindows.h"
#include "wizard_walk.h"

using namespace livna;
using namespace livna::test;
using livna::panelsim::PanelBoard;
using livna::panelsim::PanelConfig;
using livna::panelsim::PanelFault;
using livna::panelsim::PanelSystem;

namespace {

const QString kWrongSystem = QStringLiteral("Подключенный прибор не соответствует выбранному типу системы!");
const QString kRead = QStringLiteral("Настройки успешно считаны из прибора.");
const QString kWritten = QStringLiteral("Настройки успешно записаны в прибор.");
const QString kDisconnected = QStringLiteral("Связь с прибором разорвана.");
const QString kForgotten = QStringLiteral("Вы забыли открыть файл с копией!");

constexpr int kRegistrationBlocks[] = {2, 14, 15, 16};

PanelConfig kvmPanel(unsigned version = 32, unsigned type = 31) {
    PanelConfig c = PanelConfig::forSystem(PanelSystem::Kvm);
    c.versionCode = version;
    c.typeCode = type;
    return c;
}

/// What the panel holds in the tests: every area the editor shows in use, value 1 not the
/// firmware version (so a built image shows where its value 1 came from), and registration
/// blocks with their own patterns.
void loadPanel(PanelBoard& board) {
    board.loadImage(denseImage());
    for (int b : kRegistrationBlocks)
        for (std::size_t i = 0; i < kBlockSize; ++i)
            board.block(static_cast<std::size_t>(b))[i] =
                static_cast<std::uint8_t>((i * 3 + static_cast<std::size_t>(b)) % 256);
}

/// The registration copy the panel of loadPanel holds, as the lines of a copy.
QStringList panelRegistrationLines(const PanelBoard& board) {
    QStringList out;
    for (int b : kRegistrationBlocks)
        for (std::uint8_t v : board.block(static_cast<std::size_t>(b))) out << QString::number(v);
    return out;
}

/// The image the editor should show after reading a panel of loadPanel at version v.
SettingsImage readBackImage(int version) {
    SettingsImage want = denseImage();
    want[1] = version;
    return want;
}

/// The requests among a panel's events ("identify AA", "read 3", "write 3", "end"), in order.
QStringList requests(const QStringList& events) {
    static const QRegularExpression request(
        QStringLiteral("^(identify [0-9A-F]+|read \\d+|write \\d+|end)$"));
    QStringList out;
    for (const QString& e : events)
        if (request.match(e).hasMatch()) out << e;
    return out;
}
QStringList requests(const PanelBoard& board) {
    QStringList events;
    for (const auto& e : board.events()) events << QString::fromStdString(e.text);
    return requests(events);
}

QStringList numbered(const char* verb, std::initializer_list<int> blocks) {
    QStringList out;
    for (int b : blocks) out << QStringLiteral("%1 %2").arg(verb).arg(b);
    return out;
}

const QStringList kSettingsReads = numbered("read", {0, 1, 2, 3, 4, 5, 6, 7});
const QStringList kSettingsWrites = numbered("write", {0, 1, 3, 4, 5, 6, 7});
const QStringList kRegistrationReads = numbered("read", {2, 14, 15, 16});
const QStringList kRegistrationWrites = numbered("write", {2, 14, 15, 16});

/// The controls of the exchange row that are enabled, in a fixed order.
QStringList enabledButtons(QWidget* editor) {
    QStringList out;
    for (const char* name : {"ConnectButton", "DisconnectButton", "ReadButton", "WriteButton", "LoadBitBtn",
                             "SaveBitBtn", "DefaultButton"})
        if (control<QPushButton>(editor, name)->isEnabled()) out << name;
    return out;
}

/// Every control through which the installer could start something, enabled ones only.
QStringList enabledStarters(QWidget* editor) {
    QStringList out = enabledButtons(editor);
    for (const char* name :
         {"HelpBitBtn", "OperatingModeCmB", "CommPortRdG", "L640bakChB", "PageControl1", "kod1"})
        if (find(editor, name)->isEnabled()) out << name;
    return out;
}

const QStringList kConnected{"DisconnectButton", "ReadButton", "WriteButton",
                             "LoadBitBtn",       "SaveBitBtn", "DefaultButton"};
const QStringList kDisconnectedRow{"ConnectButton", "DefaultButton"};

QString status(TL640MSettingsForm* e) {
    return e->statusBar()->currentMessage();
}
QString text(QWidget* e, const char* label) {
    return control<QLabel>(e, label)->text();
}

void goOnline(QWidget* e) {
    chooseCombo(e, "OperatingModeCmB", QStringLiteral("on-line"));
}
void connectPanel(QWidget* e) {
    goOnline(e);
    click(e, "ConnectButton");
}

/// Brings the editor's tab with this caption to the front, as a click on it does.
void showTab(TL640MSettingsForm* e, const QString& caption) {
    for (int i = 0; i < e->tabs()->count(); ++i)
        if (e->tabs()->tabText(i) == caption) {
            e->tabs()->setCurrentIndex(i);
            return;
        }
    fail("no tab " + caption);
}

void writeLines(const QString& path, const QStringList& lines) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) fail("cannot write " + path);
    f.write((lines.join("\r\n") + "\r\n").toUtf8());
}

/// The wizard of Setka640DKV_KVM over one simulated Ливна-КВ-М panel.
struct Rig {
    FakeServices fake;
    std::unique_ptr<panelsim::SimulatedUsbLink> memory;
    std::unique_ptr<PanelProgram> program;
    WizardWindows windows{fake.ctx};

    /// The panel in the test process, or (panelProgram) the panelsim program over FIFOs, which
    /// holds the settings of loadPanel but no registration blocks.
    explicit Rig(PanelConfig config = kvmPanel(), bool panelProgram = false) {
        if (panelProgram) {
            program = std::make_unique<PanelProgram>(config.versionCode, denseImage());
            fake.ctx.usb = &program->pipes;
        } else {
            memory = std::make_unique<panelsim::SimulatedUsbLink>(std::move(config));
            fake.ctx.usb = &memory->pipes;
            loadPanel(board());
        }
    }
    PanelBoard& board() {
        if (!memory) fail("the panel runs in the panelsim program");
        return memory->board();
    }
    QStringList panelRequests() { return program ? requests(program->events()) : requests(board()); }
    SettingsImage panelImage() { return program ? program->stored(kKvmImageSize) : board().image(); }
    UsbPipes& pipes() { return *fake.ctx.usb; }
    TL640MSettingsForm* editor() const { return windows.kvmEditor(); }

    /// Walks the wizard to the editor, runs body while it is up, closes it with Esc (when body
    /// left it open) and walks back.
    void inEditor(const std::function<void(TL640MSettingsForm*)>& body, int timeoutMs = kModalTimeoutMs) {
        walkToWorkWindow(
            windows, WizardSystem::Kvm, WizardJob::Settings,
            [&](QWidget* work) {
                if (work != editor()) fail("the wizard opened " + work->objectName());
                body(editor());
            },
            timeoutMs);
    }

    QStringList messageTexts() const { return fake.messageTexts(); }
    /// The one box shown since the last clear; fails when there was none or more.
    MessageRequest onlyMessage() const {
        const auto shown = fake.dialogs.messages();
        if (shown.size() != 1)
            fail(QStringLiteral("%1 boxes instead of one: %2")
                     .arg(shown.size())
                     .arg(messageTexts().join(" | ")));
        return shown.front();
    }
};

SettingsImage gather(TL640MSettingsForm* e) {
    auto image = e->GatherImage();
    if (!image) fail("GatherImage refused");
    return *image;
}

}  // namespace

class KvmExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    // ---- work mode ------------------------------------------------------------------------------

    void workMode_changesOnlyConnectAndLoad() {
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            QCOMPARE(control<QComboBox>(e, "OperatingModeCmB")->currentText(), QString("демо"));
            QCOMPARE(enabledButtons(e), QStringList({"LoadBitBtn", "SaveBitBtn", "DefaultButton"}));
            goOnline(e);
            QCOMPARE(enabledButtons(e), QStringList({"ConnectButton", "SaveBitBtn", "DefaultButton"}));
            chooseCombo(e, "OperatingModeCmB", QStringLiteral("демо"));
            QCOMPARE(enabledButtons(e), QStringList({"LoadBitBtn", "SaveBitBtn", "DefaultButton"}));
        });
        QVERIFY(requests(rig.board()).isEmpty());
        QVERIFY(rig.fake.dialogs.calls().empty());
    }

    // ---- connect --------------------------------------------------------------------------------

    void connect_acceptedPanel_showsLabelsAndReadsAtOnce_data() {
        QTest::addColumn<unsigned>("version");
        QTest::addColumn<unsigned>("type");
        QTest::addColumn<QString>("versionText");
        QTest::newRow("3.2, board d") << 32u << 31u << "3.2";
        QTest::newRow("3.0") << 30u << 31u << "3.0";
        QTest::newRow("3.9") << 39u << 31u << "3.9";
        QTest::newRow("3.2 on the M board: the type is not examined") << 32u << 27u << "3.2";
    }
    void connect_acceptedPanel_showsLabelsAndReadsAtOnce() {
        QFETCH(unsigned, version);
        QFETCH(unsigned, type);
        QFETCH(QString, versionText);
        Rig rig(kvmPanel(version, type));
        rig.inEditor([&](TL640MSettingsForm* e) {
            QSignalSpy progress(e->progressBar(), &QProgressBar::valueChanged);
            connectPanel(e);
            QCOMPARE(text(e, "TypeLabel2"), QString("Ливна-640, плата d"));
            QCOMPARE(text(e, "VersionLabel2"), versionText);
            QCOMPARE(enabledButtons(e), kConnected);
            QCOMPARE(status(e), kRead);
            QCOMPARE(e->progressBar()->value(), 0);
            QList<int> values;
            for (const auto& args : progress) values << args.at(0).toInt();
            QCOMPARE(values, QList<int>({12, 25, 37, 50, 62, 75, 87, 100, 0}));
            QCOMPARE(e->tabs()->currentIndex(), 0);
            // The panel's settings are shown, and every image built now carries the version.
            LIVNA_COMPARE_IMAGES(gather(e), readBackImage(static_cast<int>(version)));
            QCOMPARE(e->tmpListB().size(), 2048);
            QCOMPARE(e->tmpListB()[2], QString::number(denseImage()[2]));
        });
        QCOMPARE(requests(rig.board()), QStringList({"identify AA"}) + kSettingsReads);
        QCOMPARE(rig.memory->sleeper.pauses().front(), 150);  // between finding and identifying
        QVERIFY2(rig.fake.dialogs.calls().empty(), qPrintable(rig.messageTexts().join(" | ")));
    }

    void connect_otherFirmwareFamily_refusedAndDisconnected_data() {
        QTest::addColumn<unsigned>("version");
        QTest::newRow("Ливна-КВ 5.2") << 52u;
        QTest::newRow("2.9") << 29u;
        QTest::newRow("4.0") << 40u;
        QTest::newRow("0.0") << 0u;
    }
    void connect_otherFirmwareFamily_refusedAndDisconnected() {
        QFETCH(unsigned, version);
        Rig rig(kvmPanel(version));
        rig.inEditor([&](TL640MSettingsForm* e) {
            const SettingsImage before = gather(e);
            connectPanel(e);
            const MessageRequest box = rig.onlyMessage();
            QCOMPARE(QString::fromStdString(box.caption), QString("Сообщение системы"));
            QCOMPARE(QString::fromStdString(box.text), kWrongSystem);
            QCOMPARE(box.icon, MsgIcon::Error);
            QCOMPARE(box.buttons, MsgButtons::Ok);
            QCOMPARE(enabledButtons(e), kDisconnectedRow);
            QCOMPARE(text(e, "TypeLabel2"), QString());
            QCOMPARE(text(e, "VersionLabel2"), QString());
            QCOMPARE(status(e), kDisconnected);
            LIVNA_COMPARE_IMAGES(gather(e), before);  // nothing read, version not taken
        });
        QCOMPARE(requests(rig.board()), QStringList({"identify AA"}));
    }

    void connect_noAnswerOrNoPanel_leavesConnectOn_data() {
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("told");
        QTest::newRow("garbled identify reply") << "garbled"
                                                << "Нет ответа от прибора";
        QTest::newRow("no panel on the bus") << "none"
                                             << "Приборы марки Ливна отключены от линии USB!";
        QTest::newRow("program without a link") << "no link"
                                                << "Приборы марки Ливна отключены от линии USB!";
    }
    void connect_noAnswerOrNoPanel_leavesConnectOn() {
        QFETCH(QString, panel);
        QFETCH(QString, told);
        Rig rig;
        MemoryUsbPlatform empty;
        RecordingSleeper sleeper;
        UsbPipes noPanel(empty, sleeper);
        if (panel == "garbled") rig.board().addFault({PanelFault::Kind::ReplyHeader, std::nullopt, 0});
        if (panel == "none") rig.fake.ctx.usb = &noPanel;
        if (panel == "no link") rig.fake.ctx.usb = nullptr;
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            QCOMPARE(QString::fromStdString(rig.onlyMessage().text), told);
            QCOMPARE(status(e), told);
            QCOMPARE(enabledButtons(e), QStringList({"ConnectButton", "SaveBitBtn", "DefaultButton"}));
            QCOMPARE(text(e, "TypeLabel2"), QString());
        });
        QVERIFY(!requests(rig.board()).contains("read 0"));
    }

    void connect_legacyPort_handsOffWithoutTouchingTheLink() {
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            goOnline(e);
            chooseRadio(e, "CommPortRdG", 0);
            click(e, "ConnectButton");
            QVERIFY(!e->isVisible());
        });
        QCOMPARE(rig.fake.launcher.programs, std::vector<std::string>{"add1.exe"});
        QVERIFY(requests(rig.board()).isEmpty());
        QVERIFY(!rig.pipes().isOpen());
    }

    // ---- errors of the operating system ---------------------------------------------------------

    void connect_openFailures_showOneErrorBoxBeforeTheirOutcome() {
        Rig rig;
        panelsim::InProcessPanel other(kvmPanel());
        rig.memory->platform.addDevice("panel-1", other);
        rig.memory->platform.failOpen("panel-0", PipeRole::Write, "Permission denied");
        rig.memory->platform.failOpen("panel-1", PipeRole::Read, "Device or resource busy");
        rig.inEditor([&](TL640MSettingsForm* e) {
            rig.fake.dialogs.clear();
            connectPanel(e);
            const auto shown = rig.fake.dialogs.messages();
            QCOMPARE(shown.size(), std::size_t{2});
            QCOMPARE(QString::fromStdString(shown[0].caption), QString("Error"));
            QCOMPARE(QString::fromStdString(shown[0].text),
                     QString("Нет связи с прибором: Permission denied"));
            QCOMPARE(shown[0].icon, MsgIcon::Error);
            QCOMPARE(QString::fromStdString(shown[1].text),
                     QString("Приборы марки Ливна отключены от линии USB!"));
        });
    }

    // The panel goes away between connect and the next exchange: unplugged, or its program killed
    // (the FIFOs are then left without a reader). Every block fails with the system's text, which
    // is told once, before the box naming the blocks; the window then shows itself disconnected,
    // and the next connect finds no panel.
    void exchange_panelGone_oneErrorBoxOneSummary_thenDisconnected_data() {
        QTest::addColumn<bool>("panelProgram");
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("registration");  // the registration blocks are not tried after the loss
        QTest::addColumn<QString>("systemText");
        QTest::addColumn<QString>("blocks");
        const QString unplugged = QStringLiteral("The device is not connected.");
        const QString killed = QStringLiteral("No such device");
        const QString read = QStringLiteral("не прочитаны блоки памяти 0, 1, 2, 3, 4, 5, 6, 7");
        const QString written = QStringLiteral("не записаны блоки памяти 0, 1, 3, 4, 5, 6, 7");
        QTest::newRow("unplugged before a read") << false << false << false << unplugged << read;
        QTest::newRow("unplugged before a write") << false << true << false << unplugged << written;
        QTest::newRow("unplugged before a read with registration")
            << false << false << true << unplugged << read;
        QTest::newRow("unplugged before a write with registration")
            << false << true << true << unplugged << written;
        QTest::newRow("program killed before a read") << true << false << false << killed << read;
        QTest::newRow("program killed before a write") << true << true << false << killed << written;
    }
    void exchange_panelGone_oneErrorBoxOneSummary_thenDisconnected() {
        QFETCH(bool, panelProgram);
        QFETCH(bool, write);
        QFETCH(bool, registration);
        QFETCH(QString, systemText);
        QFETCH(QString, blocks);
        Rig rig(kvmPanel(), panelProgram);
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            QCOMPARE(status(e), kRead);
            if (registration) {
                control<QCheckBox>(e, "L640bakChB")->setChecked(true);
                e->setRegistrationCopy(RegistrationCopy{std::vector<std::int32_t>(kRegistrationCopySize, 0)},
                                       "copy.rrg");
            }
            if (panelProgram) {
                rig.program->process.kill();
                QVERIFY(rig.program->process.waitForFinished(5000));
            } else {
                rig.memory->platform.removeDevice("panel-0");
            }
            rig.fake.dialogs.clear();
            QElapsedTimer clock;
            clock.start();
            click(e, write ? "WriteButton" : "ReadButton");
            const qint64 elapsedMs = clock.elapsed();
            const auto shown = rig.fake.dialogs.messages();
            QCOMPARE(rig.messageTexts().size(), 2);
            QCOMPARE(QString::fromStdString(shown[0].caption), QString("Error"));
            QCOMPARE(shown[0].icon, MsgIcon::Error);
            QCOMPARE(QString::fromStdString(shown[0].text), "Нет связи с прибором: " + systemText);
            QCOMPARE(QString::fromStdString(shown[1].caption), QString("Сообщение системы"));
            QVERIFY2(QString::fromStdString(shown[1].text).contains(blocks.section(' ', 2)),
                     qPrintable(rig.messageTexts().join(" | ")));
            QVERIFY2(!QString::fromStdString(shown[1].text).contains("регистрации"),
                     qPrintable(rig.messageTexts().join(" | ")));
            QVERIFY(status(e).startsWith("Нет связи с прибором."));
            if (panelProgram && !write) {
                qInfo("read from a killed panel ended in %lld ms", elapsedMs);
                QVERIFY2(elapsedMs < 1000, qPrintable(QString::number(elapsedMs)));
            }

            QCOMPARE(enabledButtons(e), kDisconnectedRow);
            QVERIFY(!rig.pipes().isOpen());
            rig.fake.dialogs.clear();
            click(e, "ConnectButton");
            QCOMPARE(rig.messageTexts(), QStringList{"Приборы марки Ливна отключены от линии USB!"});
        });
    }

    // One panel, one program: a panel whose pipes another program holds is refused with its own
    // message, and the holder goes on as if nothing had happened.
    void connect_panelHeldByAnotherProgram_refusedAndTheHolderUnharmed() {
        Rig rig(kvmPanel(), true);
        UsbPipes holder(rig.program->platform, rig.program->sleeper);
        int count = 0;
        QVERIFY(holder.UsbCountDevices(count));
        std::array<std::int32_t, kUsbBlockSize> block{};
        rig.inEditor([&](TL640MSettingsForm* e) {
            rig.fake.dialogs.clear();
            connectPanel(e);
            QCOMPARE(rig.messageTexts(),
                     QStringList{"Прибор занят другой программой. Закройте её и повторите подключение."});
            QCOMPARE(status(e),
                     QString("Прибор занят другой программой. Закройте её и повторите подключение."));
            QCOMPARE(enabledButtons(e), QStringList({"ConnectButton", "SaveBitBtn", "DefaultButton"}));
            QCOMPARE(holder.UsbReadBlock(0, block), UsbResult::Ok);

            // Once the holder lets go, the editor connects and itself holds the panel.
            holder.release();
            rig.fake.dialogs.clear();
            click(e, "ConnectButton");
            QCOMPARE(status(e), kRead);
            QVERIFY(!holder.UsbCountDevices(count));
            QCOMPARE(holder.devicesInUse(), 1);
            click(e, "ReadButton");
            QCOMPARE(status(e), kRead);
            QCOMPARE(rig.messageTexts(), QStringList());
        });
    }

    // ---- read -----------------------------------------------------------------------------------

    void read_failedBlock_appliesNothingAndNamesIt_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("progress");  // where the bar stays: the last block that was read
        QTest::newRow("block 5 never answered") << int(PanelFault::Kind::ReadFails) << 5 << 100;
        QTest::newRow("block 5 bad checksum") << int(PanelFault::Kind::ReplyCrc) << 5 << 100;
        QTest::newRow("block 5 bad header") << int(PanelFault::Kind::ReplyHeader) << 5 << 100;
        QTest::newRow("block 0 never answered") << int(PanelFault::Kind::ReadFails) << 0 << 100;
        QTest::newRow("block 7 never answered") << int(PanelFault::Kind::ReadFails) << 7 << 87;
    }
    void read_failedBlock_appliesNothingAndNamesIt() {
        QFETCH(int, kind);
        QFETCH(int, block);
        QFETCH(int, progress);
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            e->ApplyImage(factoryImage());
            const SettingsImage shown = gather(e);
            const QStringList lines = e->tmpListB();
            rig.board().clearEvents();
            rig.fake.dialogs.clear();
            rig.board().addFault({static_cast<PanelFault::Kind>(kind), block, 0});
            click(e, "ReadButton");
            LIVNA_COMPARE_IMAGES(gather(e), shown);
            QCOMPARE(e->tmpListB(), lines);
            QCOMPARE(e->progressBar()->value(), progress);
            QVERIFY2(status(e).contains(QStringLiteral("не считаны")) &&
                         status(e).contains(QString("не прочитан блок памяти %1.").arg(block)),
                     qPrintable(status(e)));
            const MessageRequest box = rig.onlyMessage();
            QCOMPARE(QString::fromStdString(box.caption), QString("Сообщение системы"));
            QCOMPARE(box.icon, MsgIcon::Error);
            QVERIFY2(QString::fromStdString(box.text).contains(QString("блок памяти %1 ").arg(block)),
                     box.text.c_str());
            QCOMPARE(enabledButtons(e), kConnected);
        });
        QCOMPARE(requests(rig.board()), kSettingsReads);  // the blocks after it are still asked for
    }

    // One read, one verdict: a panel whose passwords hold zeros gives one box naming both
    // passwords, and the status says the values were corrected, not that all went well.
    void read_zeroInBothPasswords_oneBoxNamingBoth() {
        SettingsImage panel = factoryImage();
        for (std::size_t i : {3, 4, 41, 42}) panel[i] = 128;  // the digit 0
        Rig rig;
        rig.board().loadImage(panel);
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            QStringList corrections;
            for (const QString& text : rig.messageTexts())
                if (text.contains(QStringLiteral("исправлениями")) ||
                    text.contains(QStringLiteral("0 недопустим")))
                    corrections << text;
            QCOMPARE(corrections.size(), 1);
            QVERIFY2(corrections[0].contains(QStringLiteral("«Пароль пользователя»: цифра 0 удалена.")) &&
                         corrections[0].contains(QStringLiteral("«Пароль инженера»: цифра 0 удалена.")),
                     qPrintable(corrections[0]));
            QCOMPARE(status(e),
                     QString("Настройки считаны из прибора, недопустимые в окне значения исправлены."));
            // The next read of a clean panel is a plain success again.
            rig.board().loadImage(factoryImage());
            rig.fake.dialogs.clear();
            click(e, "ReadButton");
            QCOMPARE(status(e), kRead);
            QVERIFY2(rig.fake.dialogs.calls().empty(), qPrintable(rig.messageTexts().join(" | ")));
        });
    }

    // A panel with fewer codes and keys in use than the editor showed: the rows beyond its
    // counts are greyed and locked once the read is shown, as when a file is loaded.
    void read_fewerCodesAndKeys_locksTheRowsBeyond() {
        SettingsImage panel = denseImage();
        panel[23] = 3;
        panel[22] = 40;
        Rig rig;
        rig.board().loadImage(panel);
        rig.inEditor([&](TL640MSettingsForm* e) {
            e->ApplyImage(denseImage());  // all 32 codes and 96 keys in use
            connectPanel(e);
            QCOMPARE(status(e), kRead);
            QCOMPARE(e->codesInUse(), 3);
            QCOMPARE(e->keysInUse(), 40);
            for (const auto& [kind, count, inUse] : {std::tuple{QStringLiteral("code"), kvm::kCodes, 3},
                                                     std::tuple{QStringLiteral("key"), kvm::kKeys, 40}})
                for (int i = 1; i <= count; ++i) {
                    const auto& row = kind == "code" ? e->codeRow(i) : e->keyRow(i);
                    const bool used = i <= inUse;
                    const QString where = QStringLiteral("%1 %2").arg(kind).arg(i);
                    QVERIFY2(row.edit->isEnabled() == used, qPrintable(where));
                    QVERIFY2(row.partitions[0]->isEnabled() == used, qPrintable(where));
                    QVERIFY2(row.edit->palette().color(QPalette::Base) ==
                                 (used ? TL640MSettingsForm::rowInUseColour()
                                       : TL640MSettingsForm::rowNotInUseColour()),
                             qPrintable(where));
                }
        });
    }

    void read_withRegistrationOption_keepsTheWholeCopy() {
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            control<QCheckBox>(e, "L640bakChB")->setChecked(true);
            e->setRegistrationCopy(RegistrationCopy{std::vector<std::int32_t>(kRegistrationCopySize, 1)},
                                   "old.rrg");
            connectPanel(e);
            QCOMPARE(e->registrationCopyLines(), panelRegistrationLines(rig.board()));
            QCOMPARE(text(e, "RCopyFNameLabel2"), QString());  // the copy is no longer that file's
            QCOMPARE(status(e), kRead);
        });
        QCOMPARE(requests(rig.board()), QStringList({"identify AA"}) + kSettingsReads + kRegistrationReads);
        QVERIFY2(rig.fake.dialogs.calls().empty(), qPrintable(rig.messageTexts().join(" | ")));
    }

    void read_registrationBlockLost_keepsNoPartialCopy_data() {
        QTest::addColumn<int>("block");
        for (int b : kRegistrationBlocks) QTest::newRow(qPrintable(QString("block %1").arg(b))) << b;
    }
    void read_registrationBlockLost_keepsNoPartialCopy() {
        QFETCH(int, block);
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            control<QCheckBox>(e, "L640bakChB")->setChecked(true);
            connectPanel(e);
            rig.board().clearEvents();
            rig.fake.dialogs.clear();
            // Block 2 is also a settings block: its fault fails both reads.
            rig.board().addFault({PanelFault::Kind::ReadFails, block, 0});
            e->ApplyImage(factoryImage());
            click(e, "ReadButton");
            QVERIFY(e->registrationCopyLines().isEmpty());
            const QString told = QString::fromStdString(rig.onlyMessage().text);
            QVERIFY2(told.contains(QStringLiteral("сведения о регистрации")) &&
                         told.contains(QString("блок памяти %1").arg(block)),
                     qPrintable(told));
            QVERIFY2(told.contains(QStringLiteral("не сохранена")), qPrintable(told));
            if (block == 2) {
                QVERIFY2(status(e).startsWith(QStringLiteral("Настройки не считаны")), qPrintable(status(e)));
            } else {
                QVERIFY2(status(e).contains(QStringLiteral("сведения о регистрации не считаны")),
                         qPrintable(status(e)));
                LIVNA_COMPARE_IMAGES(gather(e), readBackImage(32));  // the settings still came
            }
        });
        QCOMPARE(requests(rig.board()), kSettingsReads + kRegistrationReads);
    }

    // ---- write ----------------------------------------------------------------------------------

    void write_sendsEveryBlockButTwo_withProgress() {
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            e->ApplyImage(factoryImage());
            const SettingsImage want = gather(e);
            const std::vector<std::uint8_t> block2(rig.board().block(2).begin(), rig.board().block(2).end());
            for (std::size_t b : {0, 1, 3, 4, 5, 6, 7})
                std::ranges::fill(rig.board().block(b), std::uint8_t{0});
            rig.board().clearEvents();
            QSignalSpy progress(e->progressBar(), &QProgressBar::valueChanged);
            click(e, "WriteButton");
            QList<int> values;
            for (const auto& args : progress) values << args.at(0).toInt();
            // 25 after block 1, 50 after block 3: block 2 is never sent.
            QCOMPARE(values, QList<int>({12, 25, 50, 62, 75, 87, 100, 0}));
            QCOMPARE(status(e), kWritten);
            for (std::size_t b : {0, 1, 3, 4, 5, 6, 7})
                for (std::size_t i = 0; i < kBlockSize; ++i)
                    QCOMPARE(int(rig.board().block(b)[i]), int(want[b * kBlockSize + i]) & 0xFF);
            QVERIFY(std::ranges::equal(rig.board().block(2), block2));
            QCOMPARE(rig.board().image()[1], 32);
        });
        QCOMPARE(requests(rig.board()), kSettingsWrites);
        QVERIFY2(rig.fake.dialogs.calls().empty(), qPrintable(rig.messageTexts().join(" | ")));
    }

    void write_refusedBlock_goesOnAndTellsToRepeat_data() {
        QTest::addColumn<QList<int>>("refused");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("notWritten");  // as the status line says it
        QTest::newRow("block 0") << QList<int>{0} << "блок памяти 0"
                                 << "не записан блок памяти 0.";
        QTest::newRow("block 3") << QList<int>{3} << "блок памяти 3"
                                 << "не записан блок памяти 3.";
        QTest::newRow("block 7") << QList<int>{7} << "блок памяти 7"
                                 << "не записан блок памяти 7.";
        QTest::newRow("blocks 1 and 5") << QList<int>{1, 5} << "блоки памяти 1, 5"
                                        << "не записаны блоки памяти 1, 5.";
    }
    void write_refusedBlock_goesOnAndTellsToRepeat() {
        QFETCH(QList<int>, refused);
        QFETCH(QString, named);
        QFETCH(QString, notWritten);
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            rig.board().clearEvents();
            for (int b : refused) rig.board().addFault({PanelFault::Kind::WriteRefused, b, 0});
            click(e, "WriteButton");
            QVERIFY2(status(e).contains(notWritten) && status(e).contains(QStringLiteral("Повторите запись")),
                     qPrintable(status(e)));
            const MessageRequest box = rig.onlyMessage();
            QCOMPARE(QString::fromStdString(box.caption), QString("Сообщение системы"));
            QCOMPARE(box.icon, MsgIcon::Error);
            const QString told = QString::fromStdString(box.text);
            QVERIFY2(told.contains(named + " ") && told.contains(QStringLiteral("часть новых настроек")),
                     qPrintable(told));
        });
        QCOMPARE(requests(rig.board()), kSettingsWrites);
    }

    void write_registrationCopy_sentAfterTheSettings() {
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            QStringList copy;
            for (int i = 0; i < 1024; ++i) copy << QString::number((i * 11 + 5) % 256);
            e->setRegistrationCopy(registrationCopyOf(copy), "copy.rrg");
            control<QCheckBox>(e, "L640bakChB")->setChecked(true);
            rig.board().clearEvents();
            click(e, "WriteButton");
            QCOMPARE(status(e), kWritten);
            for (std::size_t k = 0; k < 4; ++k)
                for (std::size_t i = 0; i < kBlockSize; ++i)
                    QCOMPARE(QString::number(
                                 rig.board().block(static_cast<std::size_t>(kRegistrationBlocks[k]))[i]),
                             copy[static_cast<qsizetype>(k * kBlockSize + i)]);
        });
        QCOMPARE(requests(rig.board()), kSettingsWrites + kRegistrationWrites);
        QVERIFY2(rig.fake.dialogs.calls().empty(), qPrintable(rig.messageTexts().join(" | ")));
    }

    void write_forgottenCopy_warnsAndOffersTheFile_data() {
        QTest::addColumn<bool>("chooseFile");
        QTest::newRow("dialog cancelled") << false;
        QTest::newRow("copy chosen") << true;
    }
    void write_forgottenCopy_warnsAndOffersTheFile() {
        QFETCH(bool, chooseFile);
        Rig rig;
        QTemporaryDir files;
        const QString copyFile = files.filePath("L640D_object_1.rrg");
        QStringList copy;
        for (int i = 0; i < 1024; ++i) copy << QString::number((i * 5 + 1) % 256);
        writeLines(copyFile, copy);
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            control<QCheckBox>(e, "L640bakChB")->setChecked(true);
            QVERIFY(e->registrationCopyLines().isEmpty());
            rig.board().clearEvents();
            rig.fake.dialogs.clear();
            rig.fake.dialogs.chooseNext(chooseFile ? std::optional<std::string>(copyFile.toStdString())
                                                   : std::nullopt);
            click(e, "WriteButton");
            const auto& calls = rig.fake.dialogs.calls();
            QCOMPARE(calls.size(), std::size_t{2});  // the warning and the dialog, nothing more
            QCOMPARE(calls[0].kind, ScriptedDialogService::Kind::Message);
            QCOMPARE(QString::fromStdString(calls[0].message.caption), QString("Системное сообщение"));
            QCOMPARE(QString::fromStdString(calls[0].message.text), kForgotten);
            QCOMPARE(calls[0].message.icon, MsgIcon::Warning);
            QCOMPARE(calls[1].kind, ScriptedDialogService::Kind::Open);
            QCOMPARE(calls[1].file.title, std::string("Чтение сведений о регситрации"));
            QCOMPARE(calls[1].file.filter, std::string("Файлы регистрации (*.rrg)|*.rrg"));
            QCOMPARE(calls[1].file.filterIndex, 1);
            QCOMPARE(calls[1].file.defaultExt, std::string("rrg"));
            QCOMPARE(calls[1].file.initialDir, std::string("Reg_RPU"));
            QCOMPARE(calls[1].file.fileName, std::string());
            QCOMPARE(status(e), kWritten);
            QCOMPARE(text(e, "RCopyFNameLabel2"), chooseFile ? QString("L640D_object_1.rrg") : QString());
            QCOMPARE(e->registrationCopyLines(), chooseFile ? copy : QStringList());
        });
        QCOMPARE(requests(rig.board()), chooseFile ? kSettingsWrites + kRegistrationWrites : kSettingsWrites);
        if (chooseFile) QCOMPARE(QString::number(rig.board().block(16)[255]), copy[1023]);
    }

    void write_badCopyFile_isRefusedAndNoRegistrationBlockSent_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("value");
        QTest::newRow("not a number in block 14") << 300 << "12a";
        QTest::newRow("256 in the last line") << 1023 << "256";
        QTest::newRow("negative in the first line") << 0 << "-1";
    }
    // The window holds only whole copies: a copy file is checked whole when it is read, so a bad
    // line never reaches the panel's registration blocks.
    void write_badCopyFile_isRefusedAndNoRegistrationBlockSent() {
        QFETCH(int, line);
        QFETCH(QString, value);
        Rig rig;
        QTemporaryDir files;
        const QString copyFile = files.filePath("bad.rrg");
        QStringList copy;
        for (int i = 0; i < 1024; ++i) copy << QString::number(i % 256);
        copy[line] = value;
        writeLines(copyFile, copy);
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            control<QCheckBox>(e, "L640bakChB")->setChecked(true);
            rig.board().clearEvents();
            rig.fake.dialogs.clear();
            rig.fake.dialogs.chooseNext(copyFile.toStdString());
            click(e, "WriteButton");
            const auto& messages = rig.fake.dialogs.messages();
            QCOMPARE(messages.size(), std::size_t{2});  // the forgotten copy, then the refused file
            QCOMPARE(QString::fromStdString(messages[0].text), kForgotten);
            QCOMPARE(QString::fromStdString(messages[1].caption), QString("Сообщение системы"));
            QCOMPARE(messages[1].icon, MsgIcon::Error);
            const QString told = QString::fromStdString(messages[1].text);
            QVERIFY2(told.contains("bad.rrg") && told.contains(QString("строка %1").arg(line + 1)) &&
                         told.contains(value),
                     qPrintable(told));
            QVERIFY(!e->registrationCopy());
        });
        QCOMPARE(requests(rig.board()), kSettingsWrites);
    }

    void write_registrationBlockRefused_toldLikeASettingsBlock() {
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            control<QCheckBox>(e, "L640bakChB")->setChecked(true);
            connectPanel(e);  // reads the copy
            rig.board().clearEvents();
            rig.board().addFault({PanelFault::Kind::WriteRefused, 14, 0});
            click(e, "WriteButton");
            const QString told = QString::fromStdString(rig.onlyMessage().text);
            QVERIFY2(told.contains(QStringLiteral("сведения о регистрации (блок памяти 14)")),
                     qPrintable(told));
            QVERIFY2(status(e).contains(QStringLiteral("не записан блок памяти 14")), qPrintable(status(e)));
        });
        QCOMPARE(requests(rig.board()), kSettingsWrites + kRegistrationWrites);
    }

    void write_refusedField_sendsNothing() {
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            rig.board().clearEvents();
            rig.fake.dialogs.clear();
            e->secondsEdit(0).edit->setText("x");  // not a number: GatherImage refuses it
            click(e, "WriteButton");
            QCOMPARE(rig.fake.dialogs.messages().size(), std::size_t{1});
            QVERIFY2(!status(e).startsWith(QStringLiteral("Запись настроек")), qPrintable(status(e)));
        });
        QVERIFY(requests(rig.board()).isEmpty());
    }

    // ---- disconnect, close ----------------------------------------------------------------------

    void disconnect_resetsTheWindowOnly_andDemoThenEnablesLoadNotSave() {
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            control<QCheckBox>(e, "L640bakChB")->setChecked(true);
            e->setRegistrationCopy(RegistrationCopy{std::vector<std::int32_t>(kRegistrationCopySize, 1)},
                                   "copy.rrg");
            click(e, "DisconnectButton");
            QCOMPARE(enabledButtons(e), kDisconnectedRow);
            QCOMPARE(text(e, "TypeLabel2"), QString());
            QCOMPARE(text(e, "VersionLabel2"), QString());
            QCOMPARE(text(e, "RCopyFNameLabel2"), QString());
            QCOMPARE(status(e), kDisconnected);
            QCOMPARE(gather(e)[1], 32);  // the version code stays
            QVERIFY(rig.pipes().isOpen());
            chooseCombo(e, "OperatingModeCmB", QStringLiteral("демо"));
            QCOMPARE(enabledButtons(e), QStringList({"LoadBitBtn", "DefaultButton"}));
        });
        QVERIFY(!requests(rig.board()).contains("end"));  // the editor never sends the end command
    }

    void close_releasesTheLink_andTheNextOpeningCannotRead() {
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            connectPanel(e);
            QVERIFY(rig.pipes().isOpen());
        });
        QVERIFY(!rig.pipes().isOpen());
        QVERIFY(!rig.pipes().present());
        rig.inEditor([&](TL640MSettingsForm* e) {
            QCOMPARE(enabledButtons(e), QStringList({"LoadBitBtn", "SaveBitBtn", "DefaultButton"}));
            QCOMPARE(text(e, "TypeLabel2"), QString());
            connectPanel(e);  // a fresh discovery
            QCOMPARE(status(e), kRead);
        });
        QCOMPARE(requests(rig.board()).count("identify AA"), 2);
        QVERIFY(!requests(rig.board()).contains("end"));
    }

    // While an exchange runs, nothing else can be started and the window cannot be closed.
    void busyExchange_holdsOffEverything_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("connect and read") << "ConnectButton";
        QTest::newRow("read") << "ReadButton";
        QTest::newRow("write") << "WriteButton";
    }
    void busyExchange_holdsOffEverything() {
        QFETCH(QString, button);
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            goOnline(e);
            if (button != "ConnectButton") click(e, "ConnectButton");
            rig.board().clearEvents();
            QStringList enabledDuring{"not run"};
            bool busyDuring = false;
            bool visibleAfterClosing = false;
            bool barEnabled = false;
            QTimer::singleShot(0, e, [&] {
                busyDuring = e->busy();
                enabledDuring = enabledStarters(e);
                barEnabled = e->progressBar()->isEnabled();
                // A real click on the disabled Write button, then Esc and the close box.
                QTest::mouseClick(control<QPushButton>(e, "WriteButton"), Qt::LeftButton);
                pressKey(e, Qt::Key_Escape);
                e->close();
                visibleAfterClosing = e->isVisible();
            });
            click(e, button);
            QVERIFY(busyDuring);
            QCOMPARE(enabledDuring, QStringList());
            QVERIFY(barEnabled);
            QVERIFY(visibleAfterClosing);
            QVERIFY(e->isVisible());
            QVERIFY(!e->busy());
            QVERIFY(rig.pipes().isOpen());
            QCOMPARE(status(e), button == "WriteButton" ? kWritten : kRead);
            QCOMPARE(enabledButtons(e), kConnected);
            QVERIFY(control<QTabWidget>(e, "PageControl1")->isEnabled());
            pressKey(e, Qt::Key_Escape);  // and afterwards Esc closes it
            QVERIFY(!e->isVisible());
        });
        const QStringList got = requests(rig.board());
        const QStringList once = button == "WriteButton" ? kSettingsWrites : kSettingsReads;
        QCOMPARE(got, button == "ConnectButton" ? QStringList({"identify AA"}) + once : once);
    }

    // The same while the registration blocks travel too, watched on every turn of the event
    // loop: showing the read image must not bring the tabs back before the exchange ends.
    void busyExchange_withRegistrationCopy_keepsEverythingOffToTheEnd_data() {
        busyExchange_holdsOffEverything_data();
    }
    void busyExchange_withRegistrationCopy_keepsEverythingOffToTheEnd() {
        QFETCH(QString, button);
        Rig rig;
        rig.inEditor([&](TL640MSettingsForm* e) {
            goOnline(e);
            if (button != "ConnectButton") click(e, "ConnectButton");
            control<QCheckBox>(e, "L640bakChB")->setChecked(true);
            e->setRegistrationCopy(registrationCopyOf(panelRegistrationLines(rig.board())), QString());
            rig.board().clearEvents();
            int turns = 0;
            QStringList enabledDuring;
            QTimer watch;
            watch.setInterval(0);
            connect(&watch, &QTimer::timeout, e, [&] {
                if (!e->busy()) return;
                ++turns;
                for (const QString& name : enabledStarters(e))
                    if (!enabledDuring.contains(name)) enabledDuring << name;
            });
            watch.start();
            click(e, button);
            watch.stop();
            QVERIFY2(turns > 8, qPrintable(QString("watched on %1 turns only").arg(turns)));
            QCOMPARE(enabledDuring, QStringList());
            QCOMPARE(enabledButtons(e), kConnected);
            QVERIFY(control<QTabWidget>(e, "PageControl1")->isEnabled());
        });
        const QStringList got = requests(rig.board());
        const QStringList once = button == "WriteButton" ? kSettingsWrites + kRegistrationWrites
                                                         : kSettingsReads + kRegistrationReads;
        QCOMPARE(got, button == "ConnectButton" ? QStringList({"identify AA"}) + once : once);
    }

    // ---- end to end -----------------------------------------------------------------------------

    void edits_writtenAndReadBack_data() {
        QTest::addColumn<bool>("panelProgram");
        QTest::newRow("simulator in the process") << false;
        QTest::newRow("panelsim program over the FIFO backend") << true;
    }
    void edits_writtenAndReadBack() {
        QFETCH(bool, panelProgram);
        Rig rig(kvmPanel(), panelProgram);
        const QString code = QStringLiteral("9876");
        const QString key = QStringLiteral("0A1B2C3D4E5F");
        const int nameItem = 10;
        rig.inEditor(
            [&](TL640MSettingsForm* e) {
                connectPanel(e);
                QCOMPARE(status(e), kRead);
                QVERIFY(e->partitionRow(3).name->currentIndex() != nameItem);
                showTab(e, QStringLiteral("Параметры разделов"));
                chooseCombo(e, "NameRzd3", nameItem);
                showTab(e, QStringLiteral("Редактирование кодов"));
                typeInto(e, "kod2", code);
                showTab(e, QStringLiteral("Редактирование ключей ТМ"));
                typeInto(e, "Key5", key);
                click(e, "WriteButton");
                QCOMPARE(status(e), kWritten);
                click(e, "DefaultButton");  // the editor forgets them...
                QVERIFY(e->partitionRow(3).name->currentIndex() != nameItem);
                click(e, "ReadButton");  // ...and gets them back from the panel
                QCOMPARE(status(e), kRead);
                QCOMPARE(e->partitionRow(3).name->currentIndex(), nameItem);
                QCOMPARE(e->codeRow(2).edit->text().trimmed(), code);
                QCOMPARE(e->keyRow(5).edit->text(), key);
            },
            20000);
        QVERIFY2(rig.fake.dialogs.calls().empty(), qPrintable(rig.messageTexts().join(" | ")));
        const SettingsImage stored = rig.panelImage();
        QCOMPARE(stored[255 + 3], partitionNameValue(nameItem));
        for (std::size_t i = 0; i < 4; ++i)
            QCOMPARE(stored[1024 + 8 + i], encodeDigit(code[static_cast<qsizetype>(i)].digitValue()));
        QCOMPARE(stored[1024 + 8 + 4], kNone);
        const KeyValues keyValues = encodeKey(key.toStdString());
        for (std::size_t i = 0; i < kKeyByteCount; ++i) QCOMPARE(stored[1280 + 8 * 4 + i], keyValues[i]);
        QCOMPARE(rig.panelRequests(),
                 QStringList({"identify AA"}) + kSettingsReads + kSettingsWrites + kSettingsReads);
    }
};

QTEST_MAIN(KvmExchangeTest)
#include "kvm_exchange_test.moc"
