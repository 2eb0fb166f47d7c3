// The firmware-update window (offscreen, shown) writing the largest well-formed firmware file,
// 65 482 bytes (1023 packets, the largest whose count fits 16 bits), to an in-process panel with
// the protocol's pauses really kept: from WriteButton to "ПО загружено успешно", beside the pauses
// the transfer mandates (255 × 10 after the groups of four packets, 10 between the final bytes,
// 25 before the reply: 2 585 ms; aim: ratio at most 1.10). Also how often the progress was painted
// and how long a Load of that file takes (aim: under 50 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QStatusBar>
#include <QTemporaryDir>

#include <chrono>
#include <optional>

#include "common/dialog_service.h"
#include "common/launcher.h"
#include "firmware/changesoftunit.h"
#include "firmware/firmware_write.h"
#include "panelsim/in_process_panel.h"
#include "panelsim/tsk_maker.h"
#include "usblink/memory_platform.h"

namespace {

using namespace livna;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kPackets = kTskMaxPackets;
constexpr double kMandatedMs = (kPackets / kFirmwarePacketsPerGroup) * kFirmwareGroupPauseMs +
                               kFirmwareTrailerPauseMs + kFirmwareReplyPauseMs;

double sinceMs(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

/// The window on the program's link to one in-process panel, paced by the real clock, and the file
/// in its "Base_D".
struct Rig {
    ScriptedDialogService dialogs;
    RecordingLauncher launcher;
    WizardState state{SystemType::Kvm, OperationMode::FirmwareUpdate};
    MemoryUsbPlatform platform;
    Clock::time_point start = Clock::now();
    // The panel sees each write as it is made, so every pause is checked on its own.
    panelsim::InProcessPanel panel{panelsim::PanelConfig::forSystem(panelsim::PanelSystem::Kvm),
                                   [this] { return sinceMs(start); }, panelsim::PauseCheck::EachPause};
    SystemSleeper sleeper;
    UsbPipes pipes{platform, sleeper};
    AppContext ctx{dialogs, launcher, state, &pipes};
    QTemporaryDir folder;
    std::optional<TChangeSoftForm> form;
    QString file;

    Rig() {
        platform.addDevice("panel-0", panel);
        QDir(folder.path()).mkpath("Conf");
        QFile::copy(QStringLiteral(LIVNA_DATA_DIR "/Conf/640dkvmdef.cfg"),
                    folder.filePath("Conf/640dkvmdef.cfg"));
        form.emplace(ctx, folder.path());
        panelsim::TskPlan plan;
        plan.packets = kPackets;
        plan.versionCode = 34;
        const auto bytes = panelsim::makeTsk(plan);
        file = folder.filePath("Base_D/big.tsk");
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        out.close();
        form->show();
        QCoreApplication::processEvents();
    }
    QString status() const { return form->statusBar()->currentMessage(); }
    bool load() {
        dialogs.chooseNext(file.toStdString());
        return form->LoadBitBtnClick();
    }
};

void BM_UpdateLargestFile(benchmark::State& state) {
    Rig rig;
    rig.form->OperatingModeCmBSelect(1);
    double totalMs = 0;
    int paints = 0;
    int runs = 0;
    std::optional<Clock::time_point> clicked;
    std::optional<double> writtenAfterMs;
    QObject::connect(rig.form->progressBar(), &QProgressBar::valueChanged, [&] {
        if (clicked && !writtenAfterMs) ++paints;
    });
    QObject::connect(rig.form->statusBar(), &QStatusBar::messageChanged, [&](const QString& text) {
        if (clicked && !writtenAfterMs && text == QString::fromUtf8(kTextFirmwareWritten))
            writtenAfterMs = sinceMs(*clicked);
    });
    for (auto _ : state) {
        rig.form->ConnectButtonClick();
        if (!rig.form->connected() || !rig.load()) {
            state.SkipWithError("not connected or not loaded");
            break;
        }
        writtenAfterMs.reset();
        clicked = Clock::now();
        rig.form->WriteButtonClick();  // the factory settings after the firmware run on, untimed
        if (!writtenAfterMs) {
            state.SkipWithError(("firmware not written: " + rig.status()).toStdString().c_str());
            break;
        }
        state.SetIterationTime(*writtenAfterMs / 1000);
        totalMs += *writtenAfterMs;
        ++runs;
    }
    if (runs == 0) return;
    const double perRun = totalMs / runs;
    state.counters["time_ms"] = perRun;
    state.counters["mandated_ms"] = kMandatedMs;
    state.counters["ratio"] = perRun / kMandatedMs;
    state.counters["progress_paints"] = static_cast<double>(paints) / runs;
    state.counters["ms_per_paint"] = perRun / (static_cast<double>(paints) / runs);
}
BENCHMARK(BM_UpdateLargestFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_LoadLargestFile(benchmark::State& state) {
    Rig rig;
    for (auto _ : state)
        if (!rig.load()) state.SkipWithError("not loaded");
}
BENCHMARK(BM_LoadLargestFile)->Unit(benchmark::kMillisecond);

}  // namespace
