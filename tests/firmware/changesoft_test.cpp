// The firmware-update window, reached through the wizard as the installer does ("Ливна-КВ" or
// "Ливна-КВ-М", "Обновление ПО прибора", "Продолжить >>") and run against the simulated panel:
// the controls, Load with its checks, connect and disconnect, the update with the factory settings
// after it, its failures, the busy window, and one run against the panelsim program.
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <memory>

#include "common/settings_file.h"
#include "fake_services.h"
#include "firmware/changesoftunit.h"
#include "firmware_rig.h"
#include "gui_harness.h"
#include "kv_editor/l640kvunit.h"
#include "kvm_editor/l640msettingsunit.h"
#include "panel_program.h"
#include "wizard/infounit.h"
#include "wizard/wizardwindows.h"
#include "wizard_walk.h"

using namespace livna;
using namespace livna::test;
using livna::panelsim::PanelBoard;
using livna::panelsim::PanelConfig;
using livna::panelsim::PanelFault;
using livna::panelsim::PanelSystem;

namespace {

const QString kBadFormat = QStringLiteral("Ошибка: Неверный формат файла!");
const QString kWrongType = QStringLiteral("Ошибка: Несовпадение типа устройства! Запись недоступна!");
const QString kFamilyQuestion = QStringLiteral(
    "Внимание!\nТип системы прибора не соответствует типу файла ПО!\nХотите сменить тип системы прибора?");
const QString kFactoryWritten = QStringLiteral("Заводские настройки успешно записаны в прибор.");
const QString kDisconnected = QStringLiteral("Связь с прибором разорвана.");
const QString kBoardD = QStringLiteral("Ливна-640, плата d");

PanelConfig panel(PanelSystem system, unsigned version = 0, unsigned type = 31) {
    PanelConfig c = PanelConfig::forSystem(system);
    if (version != 0) c.versionCode = version;
    c.typeCode = type;
    return c;
}

/// The Ливна-КВ factory settings of the tests: 2304 values, each block its own pattern.
SettingsImage kvDefaults() {
    SettingsImage image(2304);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::int32_t>((i * 7 + i / 256) % 256);
    return image;
}

SettingsImage readImage(const QString& path, std::size_t size) {
    ImageResult r = readSettingsFile(pathFromUtf8(path.toStdString()), size);
    if (!r.ok()) fail("cannot read " + path + ": " + QString::fromStdString(describe(*r.error)));
    return r.image;
}

QString status(TChangeSoftForm* w) {
    return w->statusBar()->currentMessage();
}

/// Column 1 of the grid, row by row.
QStringList gridValues(TChangeSoftForm* w) {
    auto* grid = control<QTableWidget>(w, "ChangeSoftStrGrid");
    QStringList out;
    for (int row = 0; row < grid->rowCount(); ++row) out << grid->item(row, 1)->text();
    return out;
}

QStringList enabledControls(TChangeSoftForm* w) {
    QStringList out;
    for (const char* name :
         {"OperatingModeCmB", "ConnectButton", "DisconnectButton", "LoadBitBtn", "WriteButton"})
        if (find(w, name)->isEnabled() && find(w, name)->isVisibleTo(w)) out << name;
    return out;
}

/// Every control that could start something, enabled and reachable ones only (a control inside a
/// region that is off is off too).
QStringList enabledStarters(TChangeSoftForm* w) {
    QStringList out;
    for (const char* name : {"OperatingModeCmB", "ConnectButton", "DisconnectButton", "LoadBitBtn",
                             "WriteButton", "HelpBitBtn", "CommPortRdG", "PageControl1"})
        if (find(w, name)->isEnabled()) out << name;
    return out;
}

void goOnline(QWidget* w) {
    chooseCombo(w, "OperatingModeCmB", QStringLiteral("on-line"));
}

/// The program folder of the tests' window: "Conf" with both factory files, "Base_D".
struct FirmwareFolder {
    QTemporaryDir dir;
    FirmwareFolder() {
        if (!dir.isValid()) fail("no temporary folder");
        QDir(dir.path()).mkpath("Conf");
        QDir(dir.path()).mkpath("Base_D");
        if (!QFile::copy(QStringLiteral(LIVNA_DATA_DIR "/Conf/640dkvmdef.cfg"), path("Conf/640dkvmdef.cfg")))
            fail("cannot copy the factory file");
        if (writeSettingsFile(pathFromUtf8(path("Conf/640dkvdef.cfg").toStdString()), kvDefaults()))
            fail("cannot write the Ливна-КВ factory file");
    }
    QString path(const QString& relative) const { return dir.filePath(relative); }
    /// Writes bytes as Base_D/name and returns its path.
    QString firmware(const QString& name, const std::vector<std::uint8_t>& bytes) const {
        QFile f(path("Base_D/" + name));
        if (!f.open(QIODevice::WriteOnly)) fail("cannot write " + name);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return f.fileName();
    }
};

/// The wizard over one simulated panel, with the firmware window working in a folder of its own.
struct Rig {
    FirmwareFolder folder;
    FakeServices fake;
    std::unique_ptr<FirmwareLink> memory;
    std::unique_ptr<PanelProgram> program;
    WizardWindows windows{fake.ctx};
    std::unique_ptr<TChangeSoftForm> form;

    /// The panel in the test process, or (panelProgram) the panelsim program over FIFOs.
    explicit Rig(PanelConfig config, bool panelProgram = false) {
        if (panelProgram) {
            program = std::make_unique<PanelProgram>(
                config.versionCode, SettingsImage::fresh(2048, static_cast<int>(config.versionCode)));
            fake.ctx.usb = &program->pipes;
        } else {
            memory = std::make_unique<FirmwareLink>(std::move(config));
            fake.ctx.usb = &memory->pipes;
        }
        form = std::make_unique<TChangeSoftForm>(fake.ctx, folder.path(""));
        windows.info()->setWorkWindows(windows.kvEditor(), form.get(), windows.kvmEditor());
    }
    ~Rig() { form->hide(); }
    PanelBoard& board() {
        if (!memory) fail("the panel runs in the panelsim program");
        return memory->board();
    }
    QStringList panelEvents() {
        if (program) return program->events();
        QStringList out;
        for (const auto& e : board().events()) out << QString::fromStdString(e.text);
        return out;
    }
    /// The firmware arrivals and the loader's answers in the panel's record.
    QStringList firmwareEvents() { return panelEvents().filter(QRegularExpression("^firmware ")); }

    void walk(SystemType system, int job, const std::function<void(QWidget*)>& body) {
        walkToWorkWindow(windows, system == SystemType::Kv ? WizardSystem::Kv : WizardSystem::Kvm,
                         WizardJob(job), body);
    }
    /// The same to the firmware window.
    void inWindow(SystemType system, const std::function<void(TChangeSoftForm*)>& body) {
        walk(system, 0, [&](QWidget* work) {
            if (work != form.get()) fail("the wizard opened " + work->objectName());
            body(form.get());
        });
    }
    /// Connects on-line; fails unless the panel was accepted.
    void connectPanel(TChangeSoftForm* w) {
        goOnline(w);
        click(w, "ConnectButton");
        if (!w->connected()) fail("not connected: " + status(w));
    }
    /// Loads the file through the dialog; returns what Load said.
    bool load(TChangeSoftForm* w, const QString& path) {
        fake.dialogs.chooseNext(path.toStdString());
        return w->LoadBitBtnClick();
    }
    QStringList messageTexts() const { return fake.messageTexts(); }
    int boxesCaptioned(const char* caption) const {
        const auto shown = fake.dialogs.messages();
        return static_cast<int>(std::count_if(shown.begin(), shown.end(),
                                              [&](const MessageRequest& m) { return m.caption == caption; }));
    }
};

bool allFF(const PanelBoard& board, std::size_t block) {
    const auto b = board.block(block);
    return std::all_of(b.begin(), b.end(), [](std::uint8_t v) { return v == 0xFF; });
}

}  // namespace

class ChangeSoftTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    // ---- the window as shown -------------------------------------------------------------------

    void shown_controlsAndDemoState() {
        Rig rig(panel(PanelSystem::Kvm));
        rig.inWindow(SystemType::Kvm, [&](TChangeSoftForm* w) {
            QCOMPARE(w->windowTitle(), QString("Прибор приемно-контрольный Ливна-640"));
            auto* pages = control<QTabWidget>(w, "PageControl1");
            QCOMPARE(pages->tabText(pages->currentIndex()), QString("Обновление ПО прибора"));
            auto* grid = control<QTableWidget>(w, "ChangeSoftStrGrid");
            QCOMPARE(grid->rowCount(), 7);
            QCOMPARE(grid->columnCount(), 2);
            QCOMPARE(grid->columnWidth(0), 220);
            QCOMPARE(grid->columnWidth(1), 232);
            QStringList captions;
            for (int row = 0; row < 7; ++row) captions << grid->item(row, 0)->text();
            QCOMPARE(captions, QStringList({"Тип подключенного устройства: ", "Текущая версия ПО: ",
                                            "Имя файла обновления: ", "Тип файла обновления: ",
                                            "Размер файла обновления(байт): ", "Дата файла обновления: ",
                                            "Новая версия ПО: "}));
            const std::pair<const char*, const char*> buttons[] = {{"ConnectButton", "Установить связь"},
                                                                   {"DisconnectButton", "Разорвать связь"},
                                                                   {"WriteButton", "Записать в прибор "},
                                                                   {"LoadBitBtn", "Считать из файла"},
                                                                   {"HelpBitBtn", "Help  "}};
            for (const auto& [name, caption] : buttons)
                QCOMPARE(control<QPushButton>(w, name)->text(), QString(caption));
            auto* mode = control<QComboBox>(w, "OperatingModeCmB");
            QCOMPARE(mode->currentText(), QString("демо"));
            QCOMPARE(qobject_cast<QGroupBox*>(mode->parentWidget())->title(), QString("Режим работы:"));
            QCOMPARE(enabledControls(w), QStringList({"OperatingModeCmB", "LoadBitBtn"}));
            goOnline(w);
            QCOMPARE(enabledControls(w), QStringList({"OperatingModeCmB", "ConnectButton"}));
            chooseCombo(w, "OperatingModeCmB", QStringLiteral("демо"));
            QCOMPARE(enabledControls(w), QStringList({"OperatingModeCmB", "LoadBitBtn"}));
            QCOMPARE(QDir::currentPath(), QDir(rig.folder.path("")).absolutePath());
        });
        QVERIFY(rig.panelEvents().isEmpty());
    }

    // ---- load ----------------------------------------------------------------------------------

    void load_checksAndGridRows_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("online");  // connected to a type-31 panel
        QTest::addColumn<QString>("box");  // empty: accepted
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("version");
        auto bytes = [](std::size_t packets, unsigned type, unsigned version) {
            const auto b = tskFile(packets, type, version);
            return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
        };
        auto cut = [&](qsizetype n) { return bytes(1, 31, 33).left(n); };
        const QString length =
            kBadFormat + "\nДлина файла %1 байт, файл ПО должен иметь длину 10 + 64·m байт.";
        QByteArray badSignature = bytes(1, 31, 33);
        badSignature[1] = char(0xAA);
        QTest::newRow("55 AA, demo") << badSignature << false << kBadFormat << ""
                                     << "";
        QTest::newRow("3 bytes") << cut(3) << false << length.arg(3) << ""
                                 << "";
        QTest::newRow("9 bytes") << cut(9) << false << length.arg(9) << ""
                                 << "";
        QTest::newRow("73 bytes, on-line") << cut(73) << true << length.arg(73) << ""
                                           << "";
        QTest::newRow("75 bytes") << bytes(1, 31, 33) + QByteArray(1, 'x') << false << length.arg(75) << ""
                                  << "";
        QTest::newRow("10 bytes") << bytes(0, 31, 33) << false << ""
                                  << "ПО для Ливна-640, плата d"
                                  << "3.3";
        QTest::newRow("74 bytes") << bytes(1, 31, 33) << false << ""
                                  << "ПО для Ливна-640, плата d"
                                  << "3.3";
        QTest::newRow("type 31, version 41, panel 31 on-line") << bytes(1, 31, 41) << true << ""
                                                               << ""
                                                               << "4.1";
        QTest::newRow("type 31, version 52") << bytes(1, 31, 52) << false << ""
                                             << "ПО для Ливна-640, плата d"
                                             << "5.2";
        QTest::newRow("type 31, version 123") << bytes(1, 31, 123) << true << ""
                                              << ""
                                              << "1.23";
        QTest::newRow("type 27 in demo") << bytes(1, 27, 33) << false << ""
                                         << "ПО для Ливна-640М"
                                         << "3.3";
        QTest::newRow("type 27 on a type-31 panel") << bytes(1, 27, 33) << true << kWrongType << ""
                                                    << "";
        QTest::newRow("type 0 on-line") << bytes(1, 0, 33) << true << kWrongType << ""
                                        << "";
    }
    void load_checksAndGridRows() {
        QFETCH(QByteArray, file);
        QFETCH(bool, online);
        QFETCH(QString, box);
        QFETCH(QString, label);
        QFETCH(QString, version);
        Rig rig(panel(PanelSystem::Kvm));
        rig.inWindow(SystemType::Kvm, [&](TChangeSoftForm* w) {
            if (online) rig.connectPanel(w);
            const QString path =
                rig.folder.firmware("f.tsk", std::vector<std::uint8_t>(file.begin(), file.end()));
            rig.fake.dialogs.clear();
            const bool accepted = rig.load(w, path);
            const auto request = rig.fake.dialogs.calls().front().file;
            QCOMPARE(QString::fromStdString(request.title), QString("Чтение файла ПО"));
            QCOMPARE(QString::fromStdString(request.filter), QString("Файлы ПО (*.tsk)|*.tsk"));
            QCOMPARE(QString::fromStdString(request.defaultExt), QString("tsk"));
            QCOMPARE(QString::fromStdString(request.initialDir), QString("Base_D"));
            const QStringList values = gridValues(w);
            if (!box.isEmpty()) {
                QVERIFY(!accepted);
                QCOMPARE(rig.messageTexts(), QStringList{box});
                QCOMPARE(rig.fake.dialogs.messages()[0].icon, MsgIcon::Error);
                QCOMPARE(status(w), QString(box).replace('\n', ' '));
                QVERIFY(!w->firmwareImage());
                QCOMPARE(values.mid(2), QStringList({"", "", "", "", ""}));
            } else {
                QVERIFY(accepted);
                QVERIFY(rig.messageTexts().isEmpty());
                QCOMPARE(status(w), QString("Чтение файла ПО завершено"));
                QCOMPARE(values[2], QString("f.tsk"));
                QCOMPARE(values[3], label);
                QCOMPARE(values[4], QString::number(file.size()));
                QCOMPARE(values[5], QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
                QCOMPARE(values[6], version);
                QCOMPARE(w->firmwareImage()->bytes.size(), static_cast<std::size_t>(file.size()));
            }
            // Write only with a file checked against the connected panel.
            QCOMPARE(control<QPushButton>(w, "WriteButton")->isEnabled(), online && box.isEmpty());
            if (online) click(w, "DisconnectButton");
        });
    }

    void load_refusedAfterAccepted_keepsTheFirst() {
        Rig rig(panel(PanelSystem::Kvm));
        rig.inWindow(SystemType::Kvm, [&](TChangeSoftForm* w) {
            rig.connectPanel(w);
            QVERIFY(rig.load(w, rig.folder.firmware("good.tsk", tskFile(2, 31, 34))));
            const QStringList before = gridValues(w);
            for (const auto& bad : {tskFile(2, 27, 52), std::vector<std::uint8_t>{0x55, 0x55, 31, 33, 0}})
                QVERIFY(!rig.load(w, rig.folder.firmware("bad.tsk", bad)));
            QVERIFY(!rig.load(w, rig.folder.path("Base_D/missing.tsk")));
            rig.fake.dialogs.clear();
            QVERIFY(!w->LoadBitBtnClick());  // cancelled: nothing said, nothing changed
            QVERIFY(rig.fake.dialogs.messages().empty());
            QCOMPARE(gridValues(w), before);
            QCOMPARE(w->firmwareImage()->versionCode, 34u);
            QCOMPARE(w->firmwareImage()->bytes, tskFile(2, 31, 34));
            QVERIFY(control<QPushButton>(w, "WriteButton")->isEnabled());
            click(w, "DisconnectButton");
        });
    }

    void load_unreadableFile_namesTheFileAndTheReason() {
        Rig rig(panel(PanelSystem::Kvm));
        rig.inWindow(SystemType::Kvm, [&](TChangeSoftForm* w) {
            for (const QString& path : {rig.folder.path("Base_D/missing.tsk"), rig.folder.path("Base_D")}) {
                rig.fake.dialogs.clear();
                QVERIFY(!rig.load(w, path));
                const QStringList told = rig.messageTexts();
                QCOMPARE(told.size(), 1);
                QVERIFY2(told[0].contains(path) && told[0].contains('\n'), qPrintable(told[0]));
            }
        });
    }

    // A file loaded unchecked in demo mode must never be written: the mode is locked while a
    // panel is connected, and Write waits for a Load against that panel.
    void demoFile_isNotWritableAfterConnecting() {
        Rig rig(panel(PanelSystem::Kvm));
        rig.inWindow(SystemType::Kvm, [&](TChangeSoftForm* w) {
            QVERIFY(rig.load(w, rig.folder.firmware("other.tsk", tskFile(1, 27, 33))));
            rig.connectPanel(w);
            QCOMPARE(enabledControls(w), QStringList({"DisconnectButton", "LoadBitBtn"}));
            QVERIFY(rig.load(w, rig.folder.firmware("mine.tsk", tskFile(1, 31, 33))));
            QCOMPARE(enabledControls(w), QStringList({"DisconnectButton", "LoadBitBtn", "WriteButton"}));
            click(w, "DisconnectButton");
            goOnline(w);
            click(w, "ConnectButton");  // another connect: the file is checked again first
            QCOMPARE(enabledControls(w), QStringList({"DisconnectButton", "LoadBitBtn"}));
            click(w, "DisconnectButton");
        });
    }

    // ---- connect, disconnect, close ----------------------------------------------------------

    void connect_acceptanceBySystemAndBoard_data() {
        QTest::addColumn<int>("system");
        QTest::addColumn<unsigned>("type");
        QTest::addColumn<unsigned>("version");
        QTest::addColumn<QString>("refusal");  // empty: accepted
        QTest::addColumn<QString>("shown");
        QTest::newRow("КВ, board d, 5.2") << int(SystemType::Kv) << 31u << 52u << ""
                                          << "5.2";
        QTest::newRow("КВ, board d running КВ-М 3.3") << int(SystemType::Kv) << 31u << 33u << ""
                                                      << "3.3";
        QTest::newRow("КВ, M board, 5.2") << int(SystemType::Kv) << 27u << 52u << ""
                                          << "5.2";
        QTest::newRow("КВ, M board, 3.3") << int(SystemType::Kv) << 27u << 33u << "Подключен не КВ-прибор! "
                                          << "";
        QTest::newRow("КВ-М, M board, 5.2")
            << int(SystemType::Kvm) << 27u << 52u << "Подключен не КВМ(Д) - прибор! "
            << "";
        QTest::newRow("КВ-М, M board, 3.3") << int(SystemType::Kvm) << 27u << 33u << ""
                                            << "3.3";
        QTest::newRow("КВ-М, board d, 1.23") << int(SystemType::Kvm) << 31u << 123u << ""
                                             << "1.23";
    }
    void connect_acceptanceBySystemAndBoard() {
        QFETCH(int, system);
        QFETCH(unsigned, type);
        QFETCH(unsigned, version);
        QFETCH(QString, refusal);
        QFETCH(QString, shown);
        Rig rig(panel(PanelSystem::Kv, version, type));
        rig.inWindow(SystemType(system), [&](TChangeSoftForm* w) {
            goOnline(w);
            click(w, "ConnectButton");
            if (refusal.isEmpty()) {
                QVERIFY(rig.messageTexts().isEmpty());
                QCOMPARE(gridValues(w).mid(0, 2), QStringList({kBoardD, shown}));
                QCOMPARE(status(w), QString("Связь успешно установлена!"));
                QCOMPARE(enabledControls(w), QStringList({"DisconnectButton", "LoadBitBtn"}));
                QCOMPARE(w->panel(), (DeviceInfo{type, version}));
                rig.board().clearEvents();
                rig.fake.dialogs.clear();
                pressKey(w, Qt::Key_Escape);  // refused while connected
                w->close();
                QVERIFY(w->isVisible());
                QCOMPARE(rig.messageTexts(),
                         QStringList(2, "Внимание!\nПеред закрытием необходимо разорвать связь с прибором!"));
                QCOMPARE(rig.fake.dialogs.messages()[0].caption, std::string("Системное сообщение"));
                QCOMPARE(rig.fake.dialogs.messages()[0].icon, MsgIcon::Warning);
                click(w, "DisconnectButton");
            } else {
                QCOMPARE(rig.messageTexts(), QStringList{refusal});
                QCOMPARE(rig.fake.dialogs.messages()[0].icon, MsgIcon::Error);
            }
            // Disconnect (also after a refusal): the values emptied, the end command sent.
            QCOMPARE(gridValues(w), QStringList(7, QString()));
            QCOMPARE(status(w), kDisconnected);
            QCOMPARE(rig.panelEvents().last(), QString("end"));
            QVERIFY(!rig.memory->panel.board().events().empty());
            QCOMPARE(enabledControls(w), QStringList({"OperatingModeCmB", "ConnectButton"}));
        });
        QVERIFY(!rig.memory->pipes.isOpen());  // closing the window released the link
    }

    // ---- update --------------------------------------------------------------------------------

    // A Ливна-КВ panel takes Ливна-КВ-М firmware after the question, then that family's factory
    // settings.
    void update_otherFamily_askedThenWrittenWithFactorySettings() {
        Rig rig(panel(PanelSystem::Kv, 52));
        const SettingsImage defaults = readImage(rig.folder.path("Conf/640dkvmdef.cfg"), 2048);
        rig.inWindow(SystemType::Kv, [&](TChangeSoftForm* w) {
            rig.connectPanel(w);
            QVERIFY(rig.load(w, rig.folder.firmware("kvm33.tsk", tskFile(6, 31, 33))));
            rig.fake.dialogs.clear();
            rig.board().clearEvents();
            rig.fake.dialogs.answerNext(MsgAnswer::No);
            click(w, "WriteButton");
            QCOMPARE(rig.messageTexts(), QStringList{kFamilyQuestion});
            const MessageRequest question = rig.fake.dialogs.messages()[0];
            QCOMPARE(question.caption, std::string("Сообщение системы"));
            QCOMPARE(question.icon, MsgIcon::Warning);
            QCOMPARE(question.buttons, MsgButtons::YesNo);
            QVERIFY(rig.panelEvents().isEmpty());  // No sends nothing
            QVERIFY(control<QPushButton>(w, "WriteButton")->isEnabled());

            rig.fake.dialogs.clear();
            rig.fake.dialogs.answerNext(MsgAnswer::Yes);
            QSignalSpy progress(w->progressBar(), &QProgressBar::valueChanged);
            click(w, "WriteButton");
            QCOMPARE(rig.messageTexts(), QStringList({kFamilyQuestion, "ПО успешно загружено в прибор"}));
            QCOMPARE(rig.fake.dialogs.messages()[1].icon, MsgIcon::Information);
            QCOMPARE(rig.firmwareEvents().last(), QString("firmware status 0"));
            QCOMPARE(status(w), kFactoryWritten);
            QCOMPARE(gridValues(w), QStringList(7, QString()));
            QVERIFY(!w->firmwareImage());
            QCOMPARE(enabledControls(w), QStringList({"OperatingModeCmB", "ConnectButton"}));
            QCOMPARE(w->progressBar()->value(), 0);
            QVERIFY(progress.count() > 10);
            const QStringList requests =
                rig.panelEvents().filter(QRegularExpression("^(end|identify AA|write \\d+)$"));
            QCOMPARE(requests, QStringList({"end", "identify AA", "write 0", "write 1", "write 3", "write 4",
                                            "write 5", "write 6", "write 7"}));
        });
        QCOMPARE(rig.board().versionCode(), 33u);
        QCOMPARE(rig.board().config().system, PanelSystem::Kvm);
        SettingsImage want = defaults;
        want[0] = 170;
        want[1] = 33;
        for (std::size_t b : {0u, 1u, 3u, 4u, 5u, 6u, 7u})
            for (std::size_t i = 0; i < 256; ++i)
                QCOMPARE(int(rig.board().block(b)[i]), want[b * 256 + i] & 0xFF);
        QVERIFY(allFF(rig.board(), 2));
        QVERIFY(allFF(rig.board(), 8));
        const SettingsImage saved = readImage(rig.folder.path("Conf/640dkvmdef.cfg"), 2048);
        QCOMPARE(saved.values(), want.values());
        QCOMPARE(rig.form->factoryImage()->values(), want.values());
    }

    // The same family: no question; a Ливна-КВ file brings all nine blocks of its defaults.
    void update_sameFamily_noQuestion_allNineBlocks() {
        Rig rig(panel(PanelSystem::Kv, 52));
        rig.inWindow(SystemType::Kv, [&](TChangeSoftForm* w) {
            rig.connectPanel(w);
            QVERIFY(rig.load(w, rig.folder.firmware("kv53.tsk", tskFile(3, 31, 53))));
            rig.fake.dialogs.clear();
            click(w, "WriteButton");
            QCOMPARE(rig.messageTexts(), QStringList{"ПО успешно загружено в прибор"});
            QCOMPARE(status(w), kFactoryWritten);
        });
        SettingsImage want = kvDefaults();
        want[0] = 170;
        want[1] = 53;
        QCOMPARE(rig.board().image().values(), want.values());
        QCOMPARE(readImage(rig.folder.path("Conf/640dkvdef.cfg"), 2304).values(), want.values());
    }

    void update_failures_data() {
        QTest::addColumn<QString>("failure");
        QTest::newRow("refused by the loader") << "refused";
        QTest::newRow("no answer") << "silent";
        QTest::newRow("panel unplugged mid-write") << "unplugged";
    }
    void update_failures() {
        QFETCH(QString, failure);
        Rig rig(panel(PanelSystem::Kvm, 32));
        const QByteArray defaultsBefore = [&] {
            QFile f(rig.folder.path("Conf/640dkvmdef.cfg"));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        rig.inWindow(SystemType::Kvm, [&](TChangeSoftForm* w) {
            rig.connectPanel(w);
            QVERIFY(rig.load(w, rig.folder.firmware("kvm33.tsk", tskFile(40, 31, 33))));
            if (failure == "refused")
                rig.board().addFault({PanelFault::Kind::FirmwareRefused, std::nullopt, 0});
            if (failure == "silent")
                rig.board().addFault({PanelFault::Kind::FirmwareSilent, std::nullopt, 0});
            if (failure == "unplugged") rig.memory->unplugAfterWrites(20);
            rig.fake.dialogs.clear();
            rig.memory->sleeper.clear();
            click(w, "WriteButton");
            QCOMPARE(rig.boxesCaptioned("Error"), failure == "unplugged" ? 1 : 0);
            const QStringList told = rig.messageTexts();
            QVERIFY2(
                told.last().startsWith("Ошибка: ПО не загружено!\nПрибор может остаться без работающего ПО"),
                qPrintable(told.join(" | ")));
            QCOMPARE(rig.fake.dialogs.messages().back().icon, MsgIcon::Error);
            QVERIFY(status(w).startsWith("Ошибка: ПО не загружено!"));
            QCOMPARE(w->progressBar()->value(), 0);
            QVERIFY(rig.panelEvents().filter(QRegularExpression("^(identify AA|write \\d+)$")).isEmpty());
            if (failure == "unplugged") {
                // Stopped at the failed write: three groups of four packets went, then the pause after
                // the firmware; no pause before a reply, none read.
                QCOMPARE(rig.memory->sleeper.pauses(), (std::vector<int>{10, 10, 10, 500}));
                QCOMPARE(rig.firmwareEvents().size(), 1 + 8 + 12);  // the stream's start, 20 arrivals
                QVERIFY(!w->connected());
                QCOMPARE(enabledControls(w), QStringList({"OperatingModeCmB", "ConnectButton"}));
            } else {
                QVERIFY(w->connected());
                QVERIFY(w->firmwareImage());
                QCOMPARE(enabledControls(w), QStringList({"DisconnectButton", "LoadBitBtn", "WriteButton"}));
                click(w, "DisconnectButton");
            }
        });
        QCOMPARE(rig.board().versionCode(), 32u);
        QFile f(rig.folder.path("Conf/640dkvmdef.cfg"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), defaultsBefore);
    }

    void update_factorySettingsFailures_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<QString>("status");
        QTest::newRow("block 5 refused")
            << "block" << QStringList{"Не удалось записать в прибор блок памяти 5 заводских настроек.\n"
                                      "Установите связь и запишите настройки в окне настройки прибора."}
            << "Заводские настройки записаны в прибор не полностью: не записан блок памяти 5.";
        QTest::newRow("identify fails")
            << "identify" << QStringList{"Невозможно установить заводскую конфигурацию!"}
            << "Невозможно установить заводскую конфигурацию!";
    }
    void update_factorySettingsFailures() {
        QFETCH(QString, failure);
        QFETCH(QStringList, told);
        QFETCH(QString, status);
        Rig rig(panel(PanelSystem::Kvm, 32));
        const SettingsImage before = readImage(rig.folder.path("Conf/640dkvmdef.cfg"), 2048);
        rig.inWindow(SystemType::Kvm, [&](TChangeSoftForm* w) {
            rig.connectPanel(w);
            QVERIFY(rig.load(w, rig.folder.firmware("kvm33.tsk", tskFile(1, 31, 33))));
            if (failure == "block") rig.board().addFault({PanelFault::Kind::WriteRefused, 5, 0});
            // The loader's reply has no such header fault; identify after it has.
            if (failure == "identify") rig.board().addFault({PanelFault::Kind::ReplyHeader, std::nullopt, 0});
            rig.fake.dialogs.clear();
            click(w, "WriteButton");
            QCOMPARE(rig.messageTexts(), QStringList{"ПО успешно загружено в прибор"} + told);
            QCOMPARE(rig.fake.dialogs.messages().back().icon,
                     failure == "block" ? MsgIcon::Error : MsgIcon::Warning);
            QCOMPARE(::status(w), status);
        });
        QCOMPARE(rig.board().versionCode(), 33u);
        QCOMPARE(readImage(rig.folder.path("Conf/640dkvmdef.cfg"), 2048).values(), before.values());
    }

    // The whole update keeps the window busy: nothing can be started and it cannot close, however
    // often the progress lets events through.
    void update_busyToTheEnd() {
        Rig rig(panel(PanelSystem::Kvm, 32));
        rig.inWindow(SystemType::Kvm, [&](TChangeSoftForm* w) {
            rig.connectPanel(w);
            QVERIFY(rig.load(w, rig.folder.firmware("kvm33.tsk", tskFile(64, 31, 33))));
            int turns = 0;
            QStringList enabledDuring;
            bool closed = false;
            QTimer watch;
            watch.setInterval(0);
            connect(&watch, &QTimer::timeout, w, [&] {
                if (!w->busy()) return;
                ++turns;
                for (const QString& name : enabledStarters(w))
                    if (!enabledDuring.contains(name)) enabledDuring << name;
                QTest::mouseClick(control<QPushButton>(w, "DisconnectButton"), Qt::LeftButton);
                pressKey(w, Qt::Key_Escape);
                w->close();
                closed = closed || !w->isVisible();
            });
            watch.start();
            click(w, "WriteButton");
            watch.stop();
            QVERIFY2(turns > 20, qPrintable(QString("watched on %1 turns only").arg(turns)));
            QCOMPARE(enabledDuring, QStringList());
            QVERIFY(!closed);
            QCOMPARE(status(w), kFactoryWritten);
            QCOMPARE(rig.firmwareEvents().last(), QString("firmware status 0"));
            QCOMPARE(rig.panelEvents().filter("end").size(), 1);  // the update's own disconnect only
        });
    }

    // ---- end to end ----------------------------------------------------------------------------

    // What the run command gives the installer: the panelsim program, a file it made, the update.
    void update_againstThePanelsimProgram() {
        Rig rig(panel(PanelSystem::Kvm, 32), true);
        const QString file = rig.folder.path("Base_D/kvm33.tsk");
        QCOMPARE(QProcess::execute(panelsimProgram(), {"make-tsk", file, "--type", "31", "--version", "33",
                                                       "--packets", "20", "--seed", "5"}),
                 0);
        rig.inWindow(SystemType::Kvm, [&](TChangeSoftForm* w) {
            rig.connectPanel(w);
            QVERIFY(rig.load(w, file));
            QCOMPARE(gridValues(w)[4], QString::number(10 + 64 * 20));
            click(w, "WriteButton");
            QCOMPARE(rig.messageTexts(), QStringList{"ПО успешно загружено в прибор"});
            QCOMPARE(status(w), kFactoryWritten);
        });
        const QStringList events = rig.firmwareEvents();
        QCOMPARE(events.last(), QString("firmware status 0"));
        SettingsImage want = readImage(QStringLiteral(LIVNA_DATA_DIR "/Conf/640dkvmdef.cfg"), 2048);
        want[0] = 170;
        want[1] = 33;
        const SettingsImage stored = rig.program->stored(2048);
        for (std::size_t b : {0u, 1u, 3u, 4u, 5u, 6u, 7u})
            for (std::size_t i = 0; i < 256; ++i) QCOMPARE(stored[b * 256 + i], want[b * 256 + i] & 0xFF);
        QCOMPARE(stored[2 * 256], 255);
        // Back through the wizard to the settings: the editor finds 3.3 with the factory settings.
        rig.walk(SystemType::Kvm, 1, [&](QWidget* work) {
            QCOMPARE(work, static_cast<QWidget*>(rig.windows.kvmEditor()));
            goOnline(work);
            click(work, "ConnectButton");
            QCOMPARE(control<QLabel>(work, "VersionLabel2")->text(), QString("3.3"));
            const QStringList lines = rig.windows.kvmEditor()->tmpListB();
            QCOMPARE(lines.size(), 2048);
            for (std::size_t i : {0u, 1u, 300u, 1000u, 2047u}) QCOMPARE(lines[qsizetype(i)].toInt(), want[i]);
        });
    }
};

QTEST_MAIN(ChangeSoftTest)
#include "changesoft_test.moc"
