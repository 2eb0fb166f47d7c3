#pragma once
// The simulated panel as the editors' exchange tests meet it: the requests it saw, the panelsim
// program itself publishing a panel on FIFOs, and the wizard over one such panel (only for tests
// that link livna_panelsim and livna_wizard and build after the panelsim program).
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include "common/settings_file.h"
#include "fake_services.h"
#include "gui_harness.h"
#include "panelsim/in_process_panel.h"
#include "panelsim/panel_board.h"
#include "usblink/fifo_platform.h"
#include "wizard/wizardwindows.h"

namespace livna::test {

/// The requests among a panel's events ("identify AA", "read 3", "write 3", "end"), in order.
inline QStringList requests(const QStringList& events) {
    static const QRegularExpression request(
        QStringLiteral("^(identify [0-9A-F]+|read \\d+|write \\d+|end)$"));
    QStringList out;
    for (const QString& e : events)
        if (request.match(e).hasMatch()) out << e;
    return out;
}
inline QStringList requests(const panelsim::PanelBoard& board) {
    QStringList events;
    for (const auto& e : board.events()) events << QString::fromStdString(e.text);
    return requests(events);
}

/// The panelsim program in the test's folder.
inline QString panelsimProgram() {
    return QCoreApplication::applicationDirPath() + "/panelsim";
}

/// The panelsim program beside the test, publishing a panel on FIFOs in a private root, and the
/// link of the program's own backend to it: what the run command gives the installer.
struct PanelProgram {
    QTemporaryDir dir;
    FifoUsbPlatform platform;
    SystemSleeper sleeper;
    UsbPipes pipes;
    QProcess process;
    std::size_t imageSize;

    PanelProgram(const panelsim::PanelConfig& config, const SettingsImage& image)
        : platform(dir.filePath("root").toStdString()),
          pipes(platform, sleeper),
          imageSize(panelsim::imageBlocks(config.system) * kBlockSize) {
        if (writeSettingsFile(pathFromUtf8(dir.filePath("image.cfg").toStdString()), image))
            fail("cannot write the image");
        QStringList arguments{"--version", QString::number(config.versionCode),
                              "--root",    dir.filePath("root"),
                              "--image",   dir.filePath("image.cfg"),
                              "--save",    dir.filePath("saved.cfg"),
                              "--log",     dir.filePath("log")};
        if (config.system == panelsim::PanelSystem::Kv)
            arguments << "--system"
                      << "kv";
        process.start(panelsimProgram(), arguments);
        // It names its panel folder once the FIFOs are up.
        if (!QTest::qWaitFor([&] { return process.canReadLine() || process.state() == QProcess::NotRunning; },
                             5000) ||
            !process.readLine().startsWith("panelsim: "))
            fail("panelsim did not start: " + QString::fromUtf8(process.readAllStandardError()));
    }
    ~PanelProgram() {
        pipes.release();
        process.terminate();
        process.waitForFinished(5000);
    }
    /// What the program logged, one "<ms> <text>" per line: the texts.
    QStringList events() const {
        QFile f(dir.filePath("log"));
        if (!f.open(QIODevice::ReadOnly)) fail("no panelsim log");
        QStringList out;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (const qsizetype blank = line.indexOf(' '); blank > 0)
                out << QString::fromUtf8(line.mid(blank + 1));
        return out;
    }
    /// The panel's settings as saved after its last accepted write.
    SettingsImage stored() const { return stored(imageSize); }
    /// The same of size values (a panel whose firmware changed its system saves the new size).
    SettingsImage stored(std::size_t size) const {
        ImageResult r = readSettingsFile(pathFromUtf8(dir.filePath("saved.cfg").toStdString()), size);
        if (!r.ok()) fail("no settings saved by panelsim: " + QString::fromStdString(describe(*r.error)));
        return r.image;
    }
};

/// The windows of Setka640DKV_KVM over one simulated panel holding image: in the test process, or
/// (panelProgram) the panelsim program over FIFOs.
struct WizardOverPanel {
    FakeServices fake;
    std::unique_ptr<panelsim::SimulatedUsbLink> memory;
    std::unique_ptr<PanelProgram> program;
    WizardWindows windows{fake.ctx};

    WizardOverPanel(panelsim::PanelConfig config, const SettingsImage& image, bool panelProgram) {
        if (panelProgram) {
            program = std::make_unique<PanelProgram>(config, image);
            fake.ctx.usb = &program->pipes;
        } else {
            memory = std::make_unique<panelsim::SimulatedUsbLink>(std::move(config));
            fake.ctx.usb = &memory->pipes;
            board().loadImage(image);
        }
    }
    panelsim::PanelBoard& board() {
        if (!memory) fail("the panel runs in the panelsim program");
        return memory->board();
    }
    QStringList panelRequests() { return program ? requests(program->events()) : requests(board()); }
    SettingsImage panelImage() { return program ? program->stored() : board().image(); }
    UsbPipes& pipes() { return *fake.ctx.usb; }
    QStringList messageTexts() const { return fake.messageTexts(); }
};

}  // namespace livna::test
