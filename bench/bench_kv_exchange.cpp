// Time of a connect-and-read and of a write as the Ливна-КВ editor window performs them
// (offscreen), against the simulated panel with the protocol's pauses really kept, beside the
// pauses the protocol mandates: 150 ms before identify and 9 x 10 ms for the read; 9 x 80 ms for
// the write. KvApplyImage (after the read) and KvGatherImage (before the write) are included; the
// ratio says what the window and the link add (aim: at most 1.15).
#include <benchmark/benchmark.h>

#include "exchange_bench.h"
#include "kv_bench_images.h"
#include "kv_editor/l640kvunit.h"

namespace {

using namespace livna;

constexpr int kBlocks = 9;

struct Rig : bench::ExchangeRig<TL640KVForm> {
    Rig() : ExchangeRig(SystemType::Kv, panelsim::PanelSystem::Kv) {}
};

void BM_KvConnectAndRead(benchmark::State& state) {
    Rig rig;
    // The dense image and a fresh one in turn, so that every read changes what the controls show.
    const SettingsImage dense = bench::denseKvImage();
    const SettingsImage fresh = SettingsImage::fresh(kKvImageSize, 52);
    bool flip = false;
    double totalMs = 0;
    for (auto _ : state) {
        rig.panel.board().loadImage(flip ? fresh : dense);
        flip = !flip;
        const auto t = std::chrono::steady_clock::now();
        rig.form.ConnectButtonClick();
        totalMs += bench::sinceMs(t);
        if (rig.status() != QStringLiteral("Настройки успешно считаны из прибора.")) {
            state.SkipWithError(qPrintable(QStringLiteral("read failed: ") + rig.status()));
            return;
        }
    }
    bench::reportExchange(state, totalMs, bench::connectReadMandatedMs(kBlocks));
}
BENCHMARK(BM_KvConnectAndRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_KvWrite(benchmark::State& state) {
    Rig rig;
    rig.panel.board().loadImage(bench::denseKvImage());
    rig.form.ConnectButtonClick();
    double totalMs = 0;
    for (auto _ : state) {
        const auto t = std::chrono::steady_clock::now();
        rig.form.WriteButtonClick();
        totalMs += bench::sinceMs(t);
        if (rig.status() != QStringLiteral("Настройки успешно записаны в прибор.")) {
            state.SkipWithError(qPrintable(QStringLiteral("write failed: ") + rig.status()));
            return;
        }
    }
    bench::reportExchange(state, totalMs, bench::writeMandatedMs(kBlocks));
}
BENCHMARK(BM_KvWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
