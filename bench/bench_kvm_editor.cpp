// Times of the Ливна-КВ-М editor window (offscreen): creating it with its ~4000 controls, and
// showing an image (ApplyImage) and building one (GatherImage) with every code and key in use.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>

#include "kvm_bench_images.h"
#include "kvm_editor/l640msettingsunit.h"
#include "window_bench.h"

namespace {

using livna::bench::benchFolder;
using Services = livna::bench::WindowServices;

void BM_CreateWindow(benchmark::State& state) {
    Services services;
    for (auto _ : state) {
        auto form = std::make_unique<livna::TL640MSettingsForm>(services.ctx, benchFolder());
        benchmark::DoNotOptimize(form.get());
    }
}
BENCHMARK(BM_CreateWindow)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_ApplyImage(benchmark::State& state) {
    Services services;
    livna::TL640MSettingsForm form(services.ctx, benchFolder());
    const livna::SettingsImage busy = livna::bench::busyImage();
    livna::SettingsImage empty = busy;
    empty[22] = 0;
    empty[23] = 0;
    bool flip = false;
    for (auto _ : state) {
        // Alternate so that every pass changes the rows, their colours and the key pages.
        form.ApplyImage(flip ? empty : busy);
        flip = !flip;
    }
}
BENCHMARK(BM_ApplyImage)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_GatherImage(benchmark::State& state) {
    Services services;
    livna::TL640MSettingsForm form(services.ctx, benchFolder());
    form.ApplyImage(livna::bench::busyImage());
    for (auto _ : state) {
        auto image = form.GatherImage();
        if (!image) {
            state.SkipWithError("GatherImage refused the image");
            break;
        }
        benchmark::DoNotOptimize(image->values().data());
    }
}
BENCHMARK(BM_GatherImage)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace
