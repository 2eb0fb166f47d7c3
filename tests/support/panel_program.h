#pragma once
// The simulated panel as the editors' exchange tests meet it: the requests it saw, and the
// panelsim program itself publishing a panel on FIFOs (only for tests that link livna_panelsim and
// build after the panelsim program).
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include "common/settings_file.h"
#include "gui_harness.h"
#include "panelsim/panel_board.h"
#include "usblink/fifo_platform.h"

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
        process.start(QCoreApplication::applicationDirPath() + "/panelsim", arguments);
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
    SettingsImage stored() const {
        ImageResult r = readSettingsFile(pathFromUtf8(dir.filePath("saved.cfg").toStdString()), imageSize);
        if (!r.ok()) fail("no settings saved by panelsim: " + QString::fromStdString(describe(*r.error)));
        return r.image;
    }
};

}  // namespace livna::test
