// Time of a connect-and-read and of a write as the Ливна-КВ-М editor window performs them
// (offscreen), against the simulated panel with the protocol's pauses really kept, beside the
// pauses the protocol mandates: 150 ms before identify and 8 x 10 ms for the read; 7 x 80 ms for
// the write. ApplyImage (after the read) and GatherImage (before the write) are included; the
// ratio says what the window and the link add (aim: at most 1.15).
#include <benchmark/benchmark.h>

#include "common/settings_file.h"
#include "exchange_bench.h"
#include "kvm_editor/l640msettingsunit.h"

namespace {

using namespace livna;

using bench::reportExchange;
using bench::sinceMs;

constexpr double kConnectReadMandatedMs = bench::connectReadMandatedMs(8);
constexpr double kWriteMandatedMs = bench::writeMandatedMs(7);

SettingsImage shippedFactoryImage() {
    ImageResult r = readSettingsFile(pathFromUtf8(LIVNA_DATA_DIR "/Conf/640dkvmdef.cfg"), kKvmImageSize);
    if (!r.ok()) std::abort();
    return r.image;
}

struct Rig : bench::ExchangeRig<TL640MSettingsForm> {
    Rig() : ExchangeRig(SystemType::Kvm, panelsim::PanelSystem::Kvm) {}
};

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
    reportExchange(state, totalMs, kConnectReadMandatedMs);
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
    reportExchange(state, totalMs, kWriteMandatedMs);
}
BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
