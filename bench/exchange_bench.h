#pragma once
// What the editors' exchange benchmarks share: an editor window on the program's link to one
// in-process panel, paced by the real clock, and the figures reported beside the pauses the
// protocol mandates (the ratio says what the window and the link add).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QStatusBar>
#include <QTemporaryDir>

#include <chrono>

#include "common/dialog_service.h"
#include "common/launcher.h"
#include "panelsim/in_process_panel.h"
#include "usblink/memory_platform.h"
#include "workwindow/app_context.h"

namespace livna::bench {

/// The pauses of a connect and a read of `blocks` blocks.
constexpr double connectReadMandatedMs(int blocks) {
    return kIdentifyPauseMs + blocks * kBlockRequestPauseMs;
}
/// The pauses of a write of `blocks` blocks.
constexpr double writeMandatedMs(int blocks) {
    return blocks * (kBlockRequestPauseMs + 4 * kPacketPauseMs + kPacketGroupPauseMs + kCrcBytePauseMs +
                     kWriteReplyPauseMs);
}

/// The editor Form on the program's link to one in-process panel of the system.
template <class Form>
struct ExchangeRig {
    ScriptedDialogService dialogs;
    RecordingLauncher launcher;
    WizardState state;
    MemoryUsbPlatform platform;
    panelsim::InProcessPanel panel;
    SystemSleeper sleeper;
    UsbPipes pipes{platform, sleeper};
    AppContext ctx{dialogs, launcher, state, &pipes};
    QTemporaryDir folder;
    Form form{ctx, folder.path()};

    ExchangeRig(SystemType system, panelsim::PanelSystem panelSystem)
        : state{system, OperationMode::Settings}, panel(panelsim::PanelConfig::forSystem(panelSystem)) {
        platform.addDevice("panel-0", panel);
        // Shown, so that the bars and the controls are painted as the installer sees them.
        form.show();
        QCoreApplication::processEvents();
    }
    QString status() const { return form.statusBar()->currentMessage(); }
};

inline void reportExchange(benchmark::State& state, double totalMs, double mandatedMs) {
    const double perRun = totalMs / static_cast<double>(state.iterations());
    state.counters["time_ms"] = perRun;
    state.counters["mandated_ms"] = mandatedMs;
    state.counters["ratio"] = perRun / mandatedMs;
}

inline double sinceMs(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace livna::bench
