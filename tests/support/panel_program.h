#pragma once
// The panelsim program beside the test, publishing a panel on FIFOs in a private root, and the
// link of the program's own backend to it: what the run command gives the installer.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include "common/settings_file.h"
#include "gui_harness.h"
#include "usblink/fifo_platform.h"
#include "usblink/usb_link.h"

namespace livna::test {

/// The panelsim program in the test's folder.
inline QString panelsimProgram() {
    return QCoreApplication::applicationDirPath() + "/panelsim";
}

struct PanelProgram {
    QTemporaryDir dir;
    FifoUsbPlatform platform;
    SystemSleeper sleeper;
    UsbPipes pipes;
    QProcess process;

    /// A panel of that version holding image, saving its settings after each accepted write;
    /// extra arguments go to the program as they are (--system, --fault).
    PanelProgram(unsigned version, const SettingsImage& image, const QStringList& extra = {})
        : platform(dir.filePath("root").toStdString()), pipes(platform, sleeper) {
        if (writeSettingsFile(pathFromUtf8(dir.filePath("image.cfg").toStdString()), image))
            fail("cannot write the image");
        process.start(panelsimProgram(),
                      QStringList{"--version", QString::number(version), "--root", dir.filePath("root"),
                                  "--image", dir.filePath("image.cfg"), "--save", dir.filePath("saved.cfg"),
                                  "--log", dir.filePath("log")} +
                          extra);
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
    /// The panel's settings of size values as saved after its last accepted write.
    SettingsImage stored(std::size_t size) const {
        ImageResult r = readSettingsFile(pathFromUtf8(dir.filePath("saved.cfg").toStdString()), size);
        if (!r.ok()) fail("no settings saved by panelsim: " + QString::fromStdString(describe(*r.error)));
        return r.image;
    }
};

}  // namespace livna::test
