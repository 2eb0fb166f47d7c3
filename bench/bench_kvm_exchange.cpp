// Time of a connect-and-read and of a write as the Ливна-КВ-М editor window performs them
// (offscreen), against the simulated panel with the protocol's pauses really kept, beside the
// pauses the protocol mandates: 150 ms before identify and 8 x 10 ms for the read; 7 x 80 ms for
// the write. ApplyImage (after the read) and GatherImage (before the write) are included; the
// ratio says what the window and the link add (aim: at most 1.15).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStatusBar>
#include <QTemporaryDir>

#include <chrono>

#include "common/dialog_service.h"
#include "common/launcher.h"
#include "common/settings_file.h"
#include "kvm_editor/l640msettingsunit.h"
#include "panelsim/in_process_panel.h"
#include "usblink/memory_platform.h"

namespace {

using namespace livna;

constexpr double kConnectReadMandatedMs = kIdentifyPauseMs + 8 * kBlockRequestPauseMs;
constexpr double kWriteMandatedMs = 7 * (kBlockRequestPauseMs + 4 * kPacketPauseMs + kPacketGroupPauseMs +
                                         kCrcBytePauseMs + kWriteReplyPauseMs);

SettingsImage shippedFactoryImage() {
    ImageResult r = readSettingsFile(pathFromUtf8(LIVNA_DATA_DIR "/Conf/640dkvmdef.cfg"), kKvmImageSize);
    if (!r.ok()) std::abort();
    return r.image;
}

/// The editor on the program's link to one in-process panel, paced by the real clock.
struct Rig {
    ScriptedDialogService dialogs;
    RecordingLauncher launcher;
    WizardState state{SystemType::Kvm, OperationMode::Settings};
    MemoryUsbPlatform platform;
    panelsim::InProcessPanel panel{panelsim::PanelConfig::forSystem(panelsim::PanelSystem::Kvm)};
    SystemSleeper sleeper;
    UsbPipes pipes{platform, sleeper};
    AppContext ctx{dialogs, launcher, state, &pipes};
    QTemporaryDir folder;
    TL640MSettingsForm form{ctx, folder.path()};

    Rig() {
        platform.addDevice("panel-0", panel);
        // Shown, so that the bars and the controls are painted as the installer sees them.
        form.show();
        QCoreApplication::processEvents();
    }
    QString status() const { return form.statusBar()->currentMessage(); }
};

void report(benchmark::State& state, double totalMs, double mandatedMs) {
    const double perRun = totalMs / static_cast<double>(state.iterations());
    state.counters["time_ms"] = perRun;
    state.counters["mandated_ms"] = mandatedMs;
    state.counters["ratio"] = perRun / mandatedMs;
}

double sinceMs(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

void BM_ConnectAndRead(benchmark::State& state) {
    Rig rig;
    // Two images in turn, so that every read changes what the controls show.
    const SettingsImage factory = shippedFactoryImage();
    SettingsImage busy = factory;
    busy[22] = 96;  // every key and code row in use
    busy[23] = 32;
    bool flip = false;
    double totalMs = 0;
    for (auto _ : state) {
        rig.panel.board().loadImage(flip ? busy : factory);
        flip = !flip;
        const auto t = std::chrono::steady_clock::now();
        rig.form.ConnectButtonClick();
        totalMs += sinceMs(t);
        if (rig.status() != QStringLiteral("Настройки успешно считаны из прибора.")) {
            state.SkipWithError(qPrintable(QStringLiteral("read failed: ") + rig.status()));
            return;
        }
    }
    report(state, totalMs, kConnectReadMandatedMs);
}
BENCHMARK(BM_ConnectAndRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_Write(benchmark::State& state) {
    Rig rig;
    rig.panel.board().loadImage(shippedFactoryImage());
    rig.form.ConnectButtonClick();
    double totalMs = 0;
    for (auto _ : state) {
        const auto t = std::chrono::steady_clock::now();
        rig.form.WriteButtonClick();
        totalMs += sinceMs(t);
        if (rig.status() != QStringLiteral("Настройки успешно записаны в прибор.")) {
            state.SkipWithError(qPrintable(QStringLiteral("write failed: ") + rig.status()));
            return;
        }
    }
    report(state, totalMs, kWriteMandatedMs);
}
BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
