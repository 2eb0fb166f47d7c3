// The editor's exchange against a simulated panel on an in-memory serial line on virtual time:
// "Выполнить" connects, checks the firmware, lays the editor out and reads; the link buttons,
// the status and mode lines, "Разорвать связь", the full write and closing during a chain.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "gui_harness.h"
#include "panelsim/memory_serial_line.h"
#include "panelsim/panel_board.h"
#include "panelsim/setka_panel_protocol.h"
#include "panelsim/tsk_maker.h"
#include "setka/editor/default_images.h"
#include "setka/editor/l640.h"
#include "setka/link/fake_ftdi_api.h"
#include "setka/mainwin/l640exchange.h"
#include "setka/mainwin/mainunit.h"

using namespace livna;
using namespace livna::setka;
using namespace livna::test;

Q_DECLARE_METATYPE(livna::MsgAnswer)

namespace {

constexpr int kWaitMs = 10000;

/// The program's port onto the simulated line in use: closing it closes this port only, so that
/// the line serves the next "Выполнить" or "Установить связь". Paced, each byte read takes a
/// millisecond of real time, so that a chain can be caught while it runs.
class LinePort : public LinkPort {
public:
    LinePort(std::atomic<LinkPort*>& line, std::atomic<bool>& paced, std::atomic<bool>& holdLoader)
        : m_line(line), m_paced(paced), m_holdLoader(holdLoader) {}
    PortKind kind() const override { return PortKind::Com; }
    IoOutcome writeByte(std::uint8_t b) override {
        if (b == kLoaderCommand) m_loaderAsked = true;
        return m_open ? line().writeByte(b) : closed();
    }
    ByteRead readByte() override {
        if (m_paced) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        // Held, the panel never answers the loader request: the worker waits until it is stopped.
        while (m_loaderAsked && m_holdLoader && !m_cancelled)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return m_open ? line().readByte() : ByteRead{closed()};
    }
    IoOutcome writeBlock(std::span<const std::uint8_t, 4> b) override {
        return m_open ? line().writeBlock(b) : closed();
    }
    BlockRead readBlock(std::span<std::uint8_t, 4> b) override {
        return m_open ? line().readBlock(b) : BlockRead{closed()};
    }
    IoOutcome purge() override { return m_open ? line().purge() : closed(); }
    void cancel() override {
        m_cancelled = true;
        line().cancel();
    }
    void rearm() override {
        m_cancelled = false;
        line().rearm();
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }

private:
    static IoOutcome closed() { return {IoStatus::Closed, "closed"}; }
    LinkPort& line() { return *m_line.load(); }
    std::atomic<LinkPort*>& m_line;
    static constexpr std::uint8_t kLoaderCommand = 0xA0;
    std::atomic<bool>& m_paced;
    std::atomic<bool>& m_holdLoader;
    std::atomic<bool> m_open{true};
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_loaderAsked{false};
};

/// The program with a setka panel on COM1, the pauses on virtual time.
struct Bench {
    explicit Bench(unsigned version, unsigned type = 9, panelsim::SetkaFaults faults = {})
        : board(config(type, version)), protocol(board, faults), line(protocol, clock) {
        panelsim::seedSetkaBoard(board, version);
        form.setLinkPauses(&clock);
        showWindow(&form);
        click(&form, QStringLiteral("RadioButton1"));  // "COM", com 1
    }
    ~Bench() { form.hide(); }

    static panelsim::PanelConfig config(unsigned type, unsigned version) {
        panelsim::PanelConfig c;
        c.typeCode = type;
        c.versionCode = version;
        return c;
    }
    PortOpener opener() {
        return [this](PortKind, int) -> PortOpenResult {
            if (opensFail) return {nullptr, "No such device"};
            ++opens;
            return {std::make_unique<LinePort>(active, paced, holdLoader), {}};
        };
    }
    void choose(const char* variant) {
        if (QString::fromLatin1(variant) == QStringLiteral("RPYKV4"))
            click(&form, QStringLiteral("CheckBoxKV"));
        click(&form, QString::fromLatin1(variant));
    }
    /// The requests the board was asked, as "91 config 63", and forgets them.
    QStringList takeRequests() {
        QStringList out;
        for (const auto& e : board.events())
            if (e.text.rfind("request ", 0) == 0) out << QString::fromStdString(e.text.substr(8));
        board.clearEvents();
        return out;
    }

    /// From now on the panel plays faults (between two chains only).
    void playFaults(panelsim::SetkaFaults faults) {
        const auto echoStop = faults.echoStop;
        faultyProtocol = std::make_unique<panelsim::SetkaPanelProtocol>(board, std::move(faults));
        faultyLine = std::make_unique<panelsim::MemorySerialLine>(*faultyProtocol, clock, echoStop);
        active = faultyLine.get();
    }

    RecordingSleeper clock;
    panelsim::PanelBoard board;
    panelsim::SetkaPanelProtocol protocol;
    panelsim::MemorySerialLine line;
    std::unique_ptr<panelsim::SetkaPanelProtocol> faultyProtocol;
    std::unique_ptr<panelsim::MemorySerialLine> faultyLine;
    std::atomic<LinkPort*> active{&line};
    std::atomic<bool> paced{false};
    std::atomic<bool> holdLoader{false};  ///< the loader request goes unanswered until the stop
    ScriptedDialogService dialogs;
    RecordingLauncher launcher;
    int opens = 0;  ///< ports opened
    bool opensFail = false;
    TMainForm form{dialogs, launcher, opener()};
};

TL640Form* asEditor(QWidget* modal) {
    auto* editor = qobject_cast<TL640Form*>(modal);
    if (editor == nullptr) fail(QStringLiteral("the modal window is not the editor"));
    return editor;
}

QString status(TL640Form* e) {
    return e->statusPanel(0)->text();
}
QString mode(TL640Form* e) {
    return e->statusPanel(1)->text();
}
bool enabled(TL640Form* e, const char* name) {
    return find(e, QString::fromLatin1(name))->isEnabled();
}
/// Busy: only "Разорвать связь"; idle: only "Установить связь".
bool linkButtons(TL640Form* e, bool busy) {
    return !enabled(e, "WriteButton") && !enabled(e, "ReadButton") && enabled(e, "ConnectButton") == !busy &&
           enabled(e, "CancelButton") == busy;
}
/// Whether the board's settings blocks hold the low bytes of image's first 1024 values.
bool settingsOnBoard(const panelsim::PanelBoard& board, const SettingsImage& image) {
    const SettingsImage onBoard = board.image();
    for (std::size_t i = 0; i < kSettingsSize; ++i)
        if ((onBoard[i] & 0xFF) != (image[i] & 0xFF)) return false;
    return true;
}

/// "Выполнить", then body once the editor has read the panel; body closes the editor.
void whileRead(Bench& b, const std::function<void(TL640Form*)>& body) {
    clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
        TL640Form* e = asEditor(modal);
        QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "ReadButton"), kWaitMs);
        body(e);
    });
}

/// A bound that fires only when the test says so.
class ManualBound : public BoundTimer {
public:
    void arm(int ms, std::function<void()> expired) override {
        armedMs = ms;
        m_expired = std::move(expired);
    }
    void cancel() override { m_expired = nullptr; }
    bool armed() const { return static_cast<bool>(m_expired); }
    void fire() {
        auto expired = std::move(m_expired);
        m_expired = nullptr;
        if (expired) expired();
    }
    int armedMs = 0;

private:
    std::function<void()> m_expired;
};

/// A "Base" folder of made firmware files, removed with the object; the editor's change looks
/// there and bounds its waits with bound.
struct FirmwareBase {
    explicit FirmwareBase(TMainForm& form) {
        std::random_device rd;
        folder = std::filesystem::temp_directory_path() / ("livna-setka-base-" + std::to_string(rd()));
        std::filesystem::create_directories(folder);
        QObject::connect(&form, &TMainForm::editorShown, &form, [this, &form](TL640Form*) {
            form.exchange()->firmware().setFolder(folder);
            form.exchange()->firmware().setTimer(&bound);
        });
    }
    ~FirmwareBase() { std::filesystem::remove_all(folder); }
    std::vector<std::uint8_t> put(const std::string& name, unsigned type, unsigned version,
                                  std::size_t trailing = 0, std::uint32_t seed = 1) const {
        panelsim::TskPlan plan;
        plan.typeCode = type;
        plan.versionCode = version;
        plan.packets = 4;
        plan.trailing = trailing;
        plan.seed = seed;
        const auto bytes = panelsim::makeTsk(plan);
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }
    std::filesystem::path folder;
    ManualBound bound;
};

bool transferShown(TL640Form* e) {
    return !e->isEnabled() && e->names().get<QWidget>(QStringLiteral("ProgressBar1"))->isVisible() &&
           !e->names().get<QWidget>(QStringLiteral("VersionLabel"))->isVisible() &&
           !e->names().get<QWidget>(QStringLiteral("TypeLabel"))->isVisible();
}
bool editorBack(TL640Form* e) {
    return e->isEnabled() && !e->names().get<QWidget>(QStringLiteral("ProgressBar1"))->isVisible() &&
           e->names().get<QWidget>(QStringLiteral("VersionLabel"))->isVisible() &&
           e->names().get<QWidget>(QStringLiteral("TypeLabel"))->isVisible();
}
QStringList messageTexts(const ScriptedDialogService& dialogs) {
    QStringList out;
    for (const auto& m : dialogs.messages()) out << QString::fromStdString(m.text);
    return out;
}
const QString kFailure = QStringLiteral("Ошибка при смене ПО! Повторите процедуру.");

QString readDone(const QString& version) {
    return QStringLiteral("ППКОП Ливна-640 версия v ") + version +
           QStringLiteral("  Чтение конфигурации завершено");
}
QString onlineMode(const QString& version) {
    return QStringLiteral("Режим <on-line>. На линии прибор версии v ") + version + QStringLiteral(".");
}

}  // namespace

class L640ExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { LIVNA_VERIFY_NO_WINDOW_LEFT(); }

    void texts_versionTitleQuestion() {
        QCOMPARE(versionTextOf(17), std::string("1.7"));
        QCOMPARE(versionTextOf(110), std::string("1.10"));
        QCOMPARE(versionTextOf(32), std::string("3.2"));
        QCOMPARE(titleOf(52), std::string("ППКОП Ливна-640 версия v 5.2"));
        QCOMPARE(firmwareQuestion(titleOf(17)),
                 std::string("ПО прибора ППКОП Ливна-640 версия v 1.7 не соответсвует выбранному вами типу "
                             "системы. Провести смену ПО прибора? Это процедура займет примерно 10 минут."));
    }

    void execute_matchingFirmware_versionCheckThenFullRead_data() {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("config");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");
        QTest::addColumn<QStringList>("tabsShown");
        QTest::addColumn<QStringList>("tabsHidden");
        QTest::newRow("1, 1.7") << "RPYKVM1" << 17 << "63" << QStringList{"GSMkom"}
                                << QStringList{"GroupBox21", "kom671", "MemRazd",
                                               "ds21",       "ds216",  "Label1520"}
                                << QStringList{} << QStringList{"TabSheetNameRzd"};
        QTest::newRow("1, 1.9") << "RPYKVM1" << 19 << "63"
                                << QStringList{"kom671", "MemRazd", "ds21", "ds216", "Label1520"}
                                << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("1, 1.10") << "RPYKVM1" << 110 << "63"
                                 << QStringList{"kom671", "MemRazd", "ds21", "ds216", "Label1520"}
                                 << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("3, 3.2") << "RPYKVM4" << 32 << "63" << QStringList{}
                                << QStringList{"kom671", "MemRazd", "GroupBox36", "ds21", "Label1520"}
                                << QStringList{"TabSheetSysNum"} << QStringList{};
        QTest::newRow("3, 3.1") << "RPYKVM4" << 31 << "63" << QStringList{}
                                << QStringList{"kom671", "MemRazd"} << QStringList{}
                                << QStringList{"TabSheetSysNum"};
        QTest::newRow("3, 3.4") << "RPYKVM4" << 34 << "63" << QStringList{"kom671", "MemRazd"}
                                << QStringList{} << QStringList{"TabSheetSysNum"} << QStringList{};
        QTest::newRow("5, 5.2") << "RPYKV4" << 52 << "66" << QStringList{} << QStringList{} << QStringList{}
                                << QStringList{};
    }
    void execute_matchingFirmware_versionCheckThenFullRead() {
        QFETCH(QString, variant);
        QFETCH(int, code);
        QFETCH(QString, config);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);
        QFETCH(QStringList, tabsShown);
        QFETCH(QStringList, tabsHidden);
        Bench b(static_cast<unsigned>(code));
        b.choose(variant.toLatin1().constData());
        const QString version = QString::fromStdString(versionTextOf(code));
        clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
            TL640Form* e = asEditor(modal);
            QTRY_COMPARE_WITH_TIMEOUT(status(e), readDone(version), kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "ReadButton"), kWaitMs);
            QVERIFY(enabled(e, "WriteButton") && enabled(e, "CancelButton") && !enabled(e, "ConnectButton"));
            QVERIFY(e->pageControl()->isEnabled());
            QCOMPARE(mode(e), onlineMode(version));
            QCOMPARE(control<QLabel>(e, "VersionLabel")->text(),
                     QStringLiteral("Версия ПО прибора: ") + version);
            // The first version read of a run asks for one block; the full read for the variant's.
            QCOMPARE(b.takeRequests(),
                     (QStringList{"91 config 00", "93 config " + config, "91 config " + config}));
            const LinkContext& c = b.form.context();
            QCOMPARE(c.configByte, config == "66" ? 0x66 : 0x63);
            QCOMPARE(c.deviceType, 9);
            QCOMPARE(c.versionCode, code);
            QVERIFY(!c.versionCheckPending);
            for (const QString& name : shown) QVERIFY2(!find(e, name)->isHidden(), qPrintable(name));
            for (const QString& name : hidden) QVERIFY2(find(e, name)->isHidden(), qPrintable(name));
            for (const QString& tab : tabsShown) QVERIFY2(e->tabShown(tab), qPrintable(tab));
            for (const QString& tab : tabsHidden) QVERIFY2(!e->tabShown(tab), qPrintable(tab));
            e->close();
        });
        QVERIFY(b.form.ports().port(PortKind::Com) == nullptr);
        QVERIFY(b.dialogs.messages().empty());
    }

    void execute_variant3Firmware32_bordersFixedAndDisabled() {
        Bench b(32);
        b.choose("RPYKVM4");
        whileRead(b, [&](TL640Form* e) {
            const std::array<int, 8> items{0, 3, 4, 7, 8, 11, 12, 15};
            for (int i = 1; i <= 8; ++i) {
                auto* border = control<QComboBox>(e, QStringLiteral("Border%1").arg(i));
                QCOMPARE(border->currentIndex(), items[static_cast<std::size_t>(i - 1)]);
                QVERIFY(!border->isEnabled());
            }
            e->close();
        });
    }

    void execute_firmwareOfAnotherVariant_questionAndNo_linkStaysOpenBusy_data() {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("version");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::newRow("5 chosen, 1.7") << "RPYKV4" << 17 << "1.7" << MsgAnswer::No;
        QTest::newRow("1 chosen, 3.2") << "RPYKVM1" << 32 << "3.2" << MsgAnswer::No;
        QTest::newRow("3 chosen, code 0") << "RPYKVM4" << 0 << "0.0" << MsgAnswer::No;
        QTest::newRow("3 chosen, code 255") << "RPYKVM4" << 255 << "2.255" << MsgAnswer::No;
    }
    void execute_firmwareOfAnotherVariant_questionAndNo_linkStaysOpenBusy() {
        QFETCH(QString, variant);
        QFETCH(int, code);
        QFETCH(QString, version);
        QFETCH(MsgAnswer, answer);
        Bench b(static_cast<unsigned>(code));
        b.choose(variant.toLatin1().constData());
        b.dialogs.answerNext(answer);
        clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
            TL640Form* e = asEditor(modal);
            QTRY_COMPARE_WITH_TIMEOUT(b.dialogs.messages().size(), std::size_t{1}, kWaitMs);
            QCOMPARE(QString::fromStdString(b.dialogs.messages()[0].text),
                     QString::fromStdString(
                         firmwareQuestion("ППКОП Ливна-640 версия v " + version.toStdString())));
            QCOMPARE(b.dialogs.messages()[0].buttons, MsgButtons::YesNo);
            QTest::qWait(50);  // nothing more follows the No
            const LinkContext& c = b.form.context();
            QVERIFY(c.versionCheckPending);
            QCOMPARE(c.configByte, 0x55);
            QVERIFY(b.form.ports().port(PortKind::Com) != nullptr);
            QVERIFY(linkButtons(e, true));
            QCOMPARE(b.takeRequests(), QStringList{"91 config 00"});

            // Broken and set up again: the version read now asks for three blocks.
            click(e, QStringLiteral("CancelButton"));
            b.dialogs.answerNext(MsgAnswer::No);
            click(e, QStringLiteral("ConnectButton"));
            QVERIFY(linkButtons(e, true));
            QTRY_COMPARE_WITH_TIMEOUT(b.dialogs.messages().size(), std::size_t{2}, kWaitMs);
            QTest::qWait(50);
            QCOMPARE(b.takeRequests(), QStringList{"91 config 55"});
            e->close();
        });
    }

    void firmware_noFileInBase_boxThenTheEditorCloses() {
        Bench b(17, 10);
        FirmwareBase base(b.form);
        base.put("640-KVMcv3_5.tsk", 10, 17);  // of another variant: never taken
        b.choose("RPYKVM4");
        b.dialogs.answerNext(MsgAnswer::Yes);
        clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
            TL640Form* e = asEditor(modal);
            QTRY_VERIFY_WITH_TIMEOUT(!e->isVisible(), kWaitMs);
        });
        const auto messages = b.dialogs.messages();
        QCOMPARE(messages.size(), std::size_t{2});
        QCOMPARE(messages[1].caption, std::string("Confirm"));
        QCOMPARE(messages[1].icon, MsgIcon::Question);
        QCOMPARE(messages[1].buttons, MsgButtons::Ok);
        QCOMPARE(messages[1].text, std::string("В базе нет ПО данной конфигурации. Обновите базу прошивок с "
                                               "сервера ЗАО НТЦ КАЛМО"));
        QCOMPARE(b.takeRequests(), QStringList{"91 config 00"});
        for (const auto& e : b.board.events()) QVERIFY(e.text.find("loader") == std::string::npos);
    }

    void firmware_endToEnd_loadedReconnectedAndFactorySettingsWritten() {
        Bench b(17, 10);
        FirmwareBase base(b.form);
        const auto file = base.put("640-KVMcv3_7.tsk", 10, 32, 9);
        const std::size_t sent = file.size() - 9;
        b.choose("RPYKVM4");
        b.dialogs.answerNext(MsgAnswer::Yes);
        QList<int> progress;
        clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
            TL640Form* e = asEditor(modal);
            auto* bar = e->names().get<QProgressBar>(QStringLiteral("ProgressBar1"));
            QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int v) { progress << v; });
            QTRY_COMPARE_WITH_TIMEOUT(
                status(e), QStringLiteral("ППКОП Ливна-640 версия v 3.2  Запись конфигурации завершена"),
                kWaitMs);
            QVERIFY(editorBack(e));
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "WriteButton"), kWaitMs);
            QCOMPARE(b.form.context().versionCode, 32);
            e->close();
        });
        QCOMPARE(messageTexts(b.dialogs).size(), 1);  // the question only: no box after the Yes
        QCOMPARE(b.takeRequests(),
                 (QStringList{"91 config 00", "91 config 55", "94 config 63", "92 config 63"}));
        QVERIFY(!base.bound.armed());
        QCOMPARE(progress.back(), 100);
        QCOMPARE(progress.size(), static_cast<int>(sent / 8) + 1);
        QCOMPARE(progress[0], static_cast<int>(8 * 100 / sent));
        QCOMPARE(b.board.block(0)[1], 32);
        const SettingsImage& factory = defaultImages().of(SystemVariant::Kvm4);
        QCOMPARE(static_cast<int>(b.board.block(0)[2]), factory[2] & 0xFF);
    }

    void firmware_failures_toldAtOnceAndTheEditorBack_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("statusText");
        QTest::newRow("fw-refuse") << "fw-refuse"
                                   << "Ошибка: Dallas CRC";
        QTest::newRow("echo-stop:40") << "echo-stop:40"
                                      << "";
        QTest::newRow("fw-silent") << "fw-silent"
                                   << "";
        QTest::newRow("loader-silent") << "loader-silent"
                                       << "";
        QTest::newRow("loader-type") << "loader-type"
                                     << "";
    }
    void firmware_failures_toldAtOnceAndTheEditorBack() {
        QFETCH(QString, fault);
        QFETCH(QString, statusText);
        Bench b(17, 10);
        FirmwareBase base(b.form);
        // A silent panel must not pass for one that loaded: the last firmware byte is 0x00, which a
        // status read that takes the previous byte would see again.
        std::uint32_t seed = 1;
        if (fault == QStringLiteral("fw-silent"))
            while (base.put("640-KVMcv3_7.tsk", 10, 32, 0, seed).back() != 0x00) ++seed;
        base.put("640-KVMcv3_7.tsk", 10, 32, 0, seed);
        panelsim::SetkaFaults faults;
        if (fault == QStringLiteral("fw-refuse"))
            b.board.addFault({panelsim::PanelFault::Kind::FirmwareRefused, {}, 0});
        if (fault == QStringLiteral("fw-silent"))
            b.board.addFault({panelsim::PanelFault::Kind::FirmwareSilent, {}, 0});
        if (fault == QStringLiteral("echo-stop:40")) faults.echoStop = 40;
        faults.loaderSilent = fault == QStringLiteral("loader-silent");
        faults.loaderType = fault == QStringLiteral("loader-type");
        b.playFaults(faults);
        b.choose("RPYKVM4");
        b.dialogs.answerNext(MsgAnswer::Yes);
        clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
            TL640Form* e = asEditor(modal);
            QTRY_COMPARE_WITH_TIMEOUT(b.dialogs.messages().size(), std::size_t{2}, kWaitMs);
            QVERIFY(base.bound.armedMs > 0);
            QVERIFY(!base.bound.armed());  // told before any bound
            const auto failure = b.dialogs.messages()[1];
            QCOMPARE(QString::fromStdString(failure.text), kFailure);
            QCOMPARE(failure.caption, std::string("Confirm"));
            QCOMPARE(failure.icon, MsgIcon::Question);
            QVERIFY(editorBack(e));
            if (!statusText.isEmpty()) QCOMPARE(status(e), statusText);
            QCOMPARE(b.form.exchange()->firmware().state(), FirmwareChange::State::Idle);
            QVERIFY(!b.form.exchange()->firmwareChanged);
            QTest::qWait(50);
            QCOMPARE(b.dialogs.messages().size(), std::size_t{2});
            QCOMPARE(b.board.block(0)[1], 17);
            e->close();
        });
    }

    void firmware_bounds_stopTheWorkerAndNothingFollows() {
        for (const bool transfer : {false, true}) {
            QTest::qWait(0);
            Bench b(17, 10);
            FirmwareBase base(b.form);
            base.put("640-KVMcv3_7.tsk", 10, 32);
            b.choose("RPYKVM4");
            b.dialogs.answerNext(MsgAnswer::Yes);
            clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
                TL640Form* e = asEditor(modal);
                b.paced = true;  // a millisecond a byte: the worker is caught while it runs
                b.holdLoader = !transfer;
                const auto wanted =
                    transfer ? FirmwareChange::State::Transfer : FirmwareChange::State::Loader;
                QTRY_VERIFY_WITH_TIMEOUT(b.form.exchange() && b.form.exchange()->firmware().state() == wanted,
                                         kWaitMs);
                QCOMPARE(base.bound.armedMs, transfer ? kTransferBoundMs : kLoaderBoundMs);
                if (transfer) QVERIFY(transferShown(e));
                base.bound.fire();
                QCOMPARE(
                    messageTexts(b.dialogs),
                    (QStringList{messageTexts(b.dialogs)[0],
                                 transfer ? QStringLiteral("Смена ПО не завершилась за отведённое время.")
                                          : QStringLiteral("Прибор не перешёл в режим загрузки ПО."),
                                 kFailure}));
                QVERIFY(editorBack(e));
                b.paced = false;
                b.holdLoader = false;
                QTest::qWait(300);
                QCOMPARE(b.dialogs.messages().size(), std::size_t{3});
                QCOMPARE(b.takeRequests(), QStringList{"91 config 00"});  // no reconnection
                QVERIFY(!b.form.exchange()->firmwareChanged);
                e->close();
            });
        }
    }

    void firmware_cancelOrCloseDuringTheLoaderWait_noLaterBox() {
        for (const bool closeEditor : {false, true}) {
            Bench b(17, 10);
            FirmwareBase base(b.form);
            base.put("640-KVMcv3_7.tsk", 10, 32);
            b.choose("RPYKVM4");
            b.dialogs.answerNext(MsgAnswer::Yes);
            b.holdLoader = true;
            clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
                TL640Form* e = asEditor(modal);
                QTRY_VERIFY_WITH_TIMEOUT(
                    b.form.exchange()->firmware().state() == FirmwareChange::State::Loader, kWaitMs);
                if (closeEditor) {
                    e->close();
                    return;
                }
                click(e, QStringLiteral("CancelButton"));
                QCOMPARE(b.form.exchange()->firmware().state(), FirmwareChange::State::Idle);
                QVERIFY(!base.bound.armed());
                QTest::qWait(300);
                e->close();
            });
            QTest::qWait(100);
            QCOMPARE(b.dialogs.messages().size(), std::size_t{1});
        }
    }

    void firmware_duringTheTransfer_theEditorStaysOpen() {
        Bench b(17, 10);
        FirmwareBase base(b.form);
        base.put("640-KVMcv3_7.tsk", 10, 32);
        b.choose("RPYKVM4");
        b.dialogs.answerNext(MsgAnswer::Yes);
        clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
            TL640Form* e = asEditor(modal);
            b.paced = true;
            QTRY_VERIFY_WITH_TIMEOUT(b.form.exchange()->firmware().state() == FirmwareChange::State::Transfer,
                                     kWaitMs);
            e->close();
            QVERIFY(e->isVisible());
            b.paced = false;
            QTRY_VERIFY_WITH_TIMEOUT(
                status(e) == QStringLiteral("ППКОП Ливна-640 версия v 3.2  Запись конфигурации завершена"),
                kWaitMs);
            e->close();
        });
    }

    void cancel_breaksTheLink_thenConnectReadsAgainWithTheMatchedByte() {
        Bench b(17);
        whileRead(b, [&](TL640Form* e) {
            b.takeRequests();
            pressKey(e, Qt::Key_F5);  // "Разорвать связь F5"
            QTRY_VERIFY_WITH_TIMEOUT(linkButtons(e, false), kWaitMs);
            QCOMPARE(status(e), QStringLiteral("Нет связи с прибором"));
            QCOMPARE(mode(e), QStringLiteral("Режим <on-line>."));
            QVERIFY(!e->pageControl()->isEnabled());
            QVERIFY(b.form.ports().port(PortKind::Com) == nullptr);

            // A port that does not open: its message, and busy until "Разорвать связь".
            b.opensFail = true;
            click(e, QStringLiteral("ConnectButton"));
            QCOMPARE(b.dialogs.messages().size(), std::size_t{1});
            QCOMPARE(b.dialogs.messages()[0].text, openFailureMessage(PortKind::Com, 1));
            QVERIFY(linkButtons(e, true));
            click(e, QStringLiteral("CancelButton"));
            QVERIFY(linkButtons(e, false));

            b.opensFail = false;
            pressKey(e, Qt::Key_F4);  // "Установить связь F4"
            QTRY_COMPARE_WITH_TIMEOUT(status(e), readDone("1.7"), kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "ReadButton"), kWaitMs);
            QCOMPARE(b.takeRequests(), (QStringList{"91 config 63", "93 config 63", "91 config 63"}));
            e->close();
        });
        QCOMPARE(b.opens, 2);
    }

    void write_editedSettings_reachTheBoard_andReadBack() {
        Bench b(19);
        whileRead(b, [&](TL640Form* e) {
            typeInto(e, QStringLiteral("DelayEdit"), QStringLiteral("33"));
            const std::optional<SettingsImage> expected = e->GatherImage();
            QVERIFY(expected.has_value());
            b.takeRequests();
            click(e, QStringLiteral("WriteButton"));
            QTRY_COMPARE_WITH_TIMEOUT(
                status(e), QStringLiteral("ППКОП Ливна-640 версия v 1.9  Запись конфигурации завершена"),
                kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "WriteButton") && e->pageControl()->isEnabled(), kWaitMs);
            QCOMPARE(b.takeRequests(), (QStringList{"94 config 63", "92 config 63"}));
            QVERIFY(settingsOnBoard(b.board, *expected));

            // What the panel holds comes back: the field edited shows the value written.
            typeInto(e, QStringLiteral("DelayEdit"), QStringLiteral("7"));
            click(e, QStringLiteral("ReadButton"));
            QTRY_COMPARE_WITH_TIMEOUT(status(e), readDone("1.9"), kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "ReadButton"), kWaitMs);
            QCOMPARE(control<QLineEdit>(e, "DelayEdit")->text(), QStringLiteral("33"));
            e->close();
        });
    }

    void write_aCheckAnsweredNo_sendsNothing() {
        Bench b(19);
        whileRead(b, [&](TL640Form* e) {
            // A code without authority: CheckCodes asks, and No stops the write.
            control<QLineEdit>(e, "NumKodEdit")->setText(QStringLiteral("1"));
            control<QLineEdit>(e, "kod1")->setText(QStringLiteral("123"));
            b.takeRequests();
            const std::size_t before = b.dialogs.messages().size();
            b.dialogs.answerNext(MsgAnswer::No);
            click(e, QStringLiteral("WriteButton"));
            const std::vector<MessageRequest> shown = b.dialogs.messages();
            QCOMPARE(shown.size(), before + 1);
            QCOMPARE(shown.back().caption, std::string("Код без полномочий"));
            QTest::qWait(50);
            QCOMPARE(b.takeRequests(), QStringList{});
            QVERIFY(enabled(e, "WriteButton") && enabled(e, "ReadButton"));
            e->close();
        });
    }

    void connect_noAnswerToTenAttempts_boxIdlePortClosed() {
        panelsim::SetkaFaults silent;
        silent.answerFrom = 11;
        Bench b(32, 9, silent);
        clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
            TL640Form* e = asEditor(modal);
            QTRY_COMPARE_WITH_TIMEOUT(b.dialogs.messages().size(), std::size_t{1}, kWaitMs);
            QCOMPARE(b.dialogs.messages()[0].text, std::string("Нет ответа от прибора"));
            QCOMPARE(status(e), QStringLiteral("Нет ответа от прибора"));
            QVERIFY(linkButtons(e, false));
            QTRY_VERIFY_WITH_TIMEOUT(b.form.ports().port(PortKind::Com) == nullptr, kWaitMs);
            QVERIFY(b.takeRequests().isEmpty());
            e->close();
        });
    }

    void connect_anotherDeviceType_boxAndTheEditorCloses() {
        Bench b(32, 7);
        clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
            QPointer<QWidget> e = modal;
            QTRY_VERIFY_WITH_TIMEOUT(!e || !e->isVisible(), kWaitMs);
        });
        QCOMPARE(b.dialogs.messages().size(), std::size_t{1});
        QCOMPARE(b.dialogs.messages()[0].text, std::string("Подключенный прибор имеет другой тип"));
        QVERIFY(b.form.ports().port(PortKind::Com) == nullptr);
        QVERIFY(b.form.context().shortcutsActive && !b.form.context().editorActive);
    }

    void read_settingsFailAfterTheCodes_nothingApplied() {
        Bench b(19);
        whileRead(b, [&](TL640Form* e) {
            const std::optional<SettingsImage> codesBefore = e->GatherCodes();
            QVERIFY(codesBefore.has_value());
            typeInto(e, QStringLiteral("DelayEdit"), QStringLiteral("33"));
            // Other codes on the panel, and settings that arrive broken.
            for (std::size_t i = 0; i < 256; ++i) b.board.block(panelsim::kSetkaCodesFirstBlock)[i] ^= 0x0F;
            panelsim::SetkaFaults broken;
            broken.crcSettings = true;
            b.playFaults(broken);
            b.takeRequests();
            click(e, QStringLiteral("ReadButton"));
            QTRY_COMPARE_WITH_TIMEOUT(status(e), QStringLiteral("Ошибка: Dallas CRC"), kWaitMs);
            QTest::qWait(50);
            QCOMPARE(b.takeRequests(), (QStringList{"93 config 63", "91 config 63"}));
            QCOMPARE(control<QLineEdit>(e, "DelayEdit")->text(), QStringLiteral("33"));
            QCOMPARE(e->GatherCodes()->values(), codesBefore->values());
            QVERIFY(!enabled(e, "ReadButton") && !enabled(e, "WriteButton") && enabled(e, "CancelButton"));
            e->close();
        });
    }

    void write_settingsRefusedAfterTheCodes_boxNewCodesOldSettings() {
        Bench b(19);
        whileRead(b, [&](TL640Form* e) {
            const SettingsImage before = b.board.image();
            const std::vector<std::int32_t> settingsBefore(before.values().begin(),
                                                           before.values().begin() + 1024);
            typeInto(e, QStringLiteral("DelayEdit"), QStringLiteral("33"));
            const std::optional<SettingsImage> codes = e->GatherCodes();
            // The panel's codes differ from the editor's until the write.
            for (std::size_t i = 0; i < 256; ++i) b.board.block(panelsim::kSetkaCodesFirstBlock)[i] ^= 0x0F;
            QVERIFY(codes.has_value());
            panelsim::SetkaFaults refusing;
            refusing.writeSettingsRefused = true;
            b.playFaults(refusing);
            click(e, QStringLiteral("WriteButton"));
            QTRY_COMPARE_WITH_TIMEOUT(b.dialogs.messages().size(), std::size_t{1}, kWaitMs);
            QCOMPARE(b.dialogs.messages()[0].text,
                     std::string("Прибор принял новые коды, настройки в нём остались прежними. Повторите "
                                 "запись конфигурации в прибор."));
            const SettingsImage after = b.board.image();
            QVERIFY(std::equal(settingsBefore.begin(), settingsBefore.end(), after.values().begin()));
            for (std::size_t i = 0; i < 1024; ++i) {
                const auto onBoard = b.board.block(panelsim::kSetkaCodesFirstBlock + i / 256)[i % 256];
                QVERIFY2(onBoard == ((*codes)[i] & 0xFF), qPrintable(QString::number(i)));
            }
            e->close();
        });
    }

    void connect_afterAFirmwareChange_factorySettingsWrittenWithoutARead() {
        Bench b(32);
        b.choose("RPYKVM4");
        whileRead(b, [&](TL640Form* e) {
            typeInto(e, QStringLiteral("DelayEdit"), QStringLiteral("33"));
            click(e, QStringLiteral("WriteButton"));
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "WriteButton"), kWaitMs);
            const SettingsImage edited = b.board.image();

            click(e, QStringLiteral("CancelButton"));
            b.form.exchange()->firmwareChanged = true;
            b.takeRequests();
            click(e, QStringLiteral("ConnectButton"));
            QTRY_COMPARE_WITH_TIMEOUT(
                status(e), QStringLiteral("ППКОП Ливна-640 версия v 3.2  Запись конфигурации завершена"),
                kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "WriteButton"), kWaitMs);
            QCOMPARE(b.takeRequests(), (QStringList{"91 config 63", "94 config 63", "92 config 63"}));
            QVERIFY(!b.form.exchange()->firmwareChanged);
            QCOMPARE(b.form.context().versionCode, 32);
            QVERIFY(b.board.image().values() != edited.values());
            const std::optional<SettingsImage> shown = e->GatherImage();
            QVERIFY(shown.has_value());
            QVERIFY(settingsOnBoard(b.board, *shown));
            e->close();
        });
    }

    void cancel_duringARead_theChainStopsAndShowsNothingMore() {
        Bench b(17);
        whileRead(b, [&](TL640Form* e) {
            b.paced = true;
            click(e, QStringLiteral("ReadButton"));
            QTest::qWait(100);  // inside the codes frame
            const auto before = std::chrono::steady_clock::now();
            click(e, QStringLiteral("CancelButton"));
            const auto stopped = std::chrono::steady_clock::now() - before;
            QVERIFY2(stopped < std::chrono::milliseconds(150),
                     qPrintable(QString::number(std::chrono::duration<double, std::milli>(stopped).count())));
            QTest::qWait(300);
            QCOMPARE(status(e), QStringLiteral("Нет связи с прибором"));
            QVERIFY(linkButtons(e, false));
            QCOMPARE(b.takeRequests(),
                     (QStringList{"91 config 00", "93 config 63", "91 config 63", "93 config 63"}));

            b.paced = false;
            click(e, QStringLiteral("ConnectButton"));
            QTRY_COMPARE_WITH_TIMEOUT(status(e), readDone("1.7"), kWaitMs);
            QCOMPARE(b.takeRequests().value(0), QStringLiteral("91 config 63"));
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "ReadButton"), kWaitMs);
            e->close();
        });
    }

    void close_duringARead_nothingAfterIt_portFreeForTheNextExecute() {
        Bench b(17);
        QPointer<QLabel> statusLine;
        whileRead(b, [&](TL640Form* e) {
            b.paced = true;
            click(e, QStringLiteral("ReadButton"));
            QTest::qWait(100);
            e->close();
        });
        QVERIFY(b.form.ports().port(PortKind::Com) == nullptr);
        QTest::qWait(200);  // a chain still running would hand something over now
        b.paced = false;
        b.takeRequests();
        clickAndDrive(&b.form, "Livna640", [&](QWidget* modal) {
            TL640Form* e = asEditor(modal);
            QTRY_COMPARE_WITH_TIMEOUT(status(e), readDone("1.7"), kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "ReadButton"), kWaitMs);
            QCOMPARE(b.takeRequests(), (QStringList{"91 config 63", "93 config 63", "91 config 63"}));
            e->close();
        });
    }
    void usb_fullCycleOverTheBridge() {
        RecordingSleeper clock;
        panelsim::PanelBoard board(Bench::config(9, 32));
        panelsim::seedSetkaBoard(board, 32);
        panelsim::SetkaPanelProtocol protocol(board);
        FakeFtdiApi ftdi(
            clock, [&protocol](std::span<const std::uint8_t> bytes, double timeMs,
                               std::vector<std::uint8_t>& out) { protocol.receive(bytes, timeMs, out); });
        const PortBackends backends{"", &ftdi, &clock};
        ScriptedDialogService dialogs;
        RecordingLauncher launcher;
        TMainForm form(dialogs, launcher, [&backends](PortKind kind, int comNumber) {
            return openLinkPort(kind, comNumber, backends);
        });
        form.setLinkPauses(&clock);
        showWindow(&form);
        click(&form, QStringLiteral("RPYKVM4"));  // "USB" is chosen at start
        clickAndDrive(&form, "Livna640", [&](QWidget* modal) {
            TL640Form* e = asEditor(modal);
            QTRY_COMPARE_WITH_TIMEOUT(status(e), readDone("3.2"), kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "ReadButton"), kWaitMs);
            typeInto(e, QStringLiteral("DelayEdit"), QStringLiteral("33"));
            const std::optional<SettingsImage> written = e->GatherImage();
            QVERIFY(written.has_value());
            click(e, QStringLiteral("WriteButton"));
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "WriteButton"), kWaitMs);
            QVERIFY(settingsOnBoard(board, *written));
            typeInto(e, QStringLiteral("DelayEdit"), QStringLiteral("7"));
            click(e, QStringLiteral("ReadButton"));
            QTRY_VERIFY_WITH_TIMEOUT(enabled(e, "ReadButton"), kWaitMs);
            QCOMPARE(control<QLineEdit>(e, "DelayEdit")->text(), QStringLiteral("33"));
            e->close();
        });
        QVERIFY(form.ports().port(PortKind::Usb) == nullptr);
        QVERIFY(dialogs.messages().empty());
        form.hide();
    }
    void usb_firmwareChange_loadedOrLoaderSilent() {
        for (const bool loaderSilent : {false, true}) {
            RecordingSleeper clock;
            panelsim::PanelBoard board(Bench::config(10, 17));
            panelsim::seedSetkaBoard(board, 17);
            panelsim::SetkaFaults faults;
            faults.loaderSilent = loaderSilent;
            panelsim::SetkaPanelProtocol protocol(board, faults);
            FakeFtdiApi ftdi(
                clock, [&protocol](std::span<const std::uint8_t> bytes, double timeMs,
                                   std::vector<std::uint8_t>& out) { protocol.receive(bytes, timeMs, out); });
            const PortBackends backends{"", &ftdi, &clock};
            ScriptedDialogService dialogs;
            RecordingLauncher launcher;
            TMainForm form(dialogs, launcher, [&backends](PortKind kind, int comNumber) {
                return openLinkPort(kind, comNumber, backends);
            });
            FirmwareBase base(form);
            base.put("640-KVMcv3_7.tsk", 10, 32, 5);
            form.setLinkPauses(&clock);
            showWindow(&form);
            click(&form, QStringLiteral("RPYKVM4"));
            dialogs.answerNext(MsgAnswer::Yes);
            clickAndDrive(&form, "Livna640", [&](QWidget* modal) {
                TL640Form* e = asEditor(modal);
                if (loaderSilent) {
                    QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages().size(), std::size_t{2}, kWaitMs);
                    QCOMPARE(QString::fromStdString(dialogs.messages()[1].text), kFailure);
                    QVERIFY(!base.bound.armed());
                    QVERIFY(editorBack(e));
                } else {
                    QTRY_COMPARE_WITH_TIMEOUT(
                        status(e),
                        QStringLiteral("ППКОП Ливна-640 версия v 3.2  Запись конфигурации завершена"),
                        kWaitMs);
                    QCOMPARE(dialogs.messages().size(), std::size_t{1});
                }
                e->close();
            });
            QCOMPARE(static_cast<int>(board.block(0)[1]), loaderSilent ? 17 : 32);
            form.hide();
        }
    }
};

QTEST_MAIN(L640ExchangeTest)
#include "l640exchange_test.moc"
