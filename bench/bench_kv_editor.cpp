// Times of the Ливна-КВ editor window (offscreen): creating it (aim: under 150 ms), and showing an
// image with all 32 codes and all 768 zones in use and building it back, KvApplyImage +
// KvGatherImage, with the shown object grid painted (aim: under 50 ms); and storing an object's
// zones with `ObjAssignSaveButton` up to the refilled, reselected and painted grid (aim: under
// 50 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <memory>

#include "kv_bench_images.h"
#include "kv_editor/l640kvunit.h"
#include "window_bench.h"

namespace {

using livna::bench::benchFolder;
using Services = livna::bench::WindowServices;

void BM_KvCreateWindow(benchmark::State& state) {
    Services services;
    for (auto _ : state) {
        auto form = std::make_unique<livna::TL640KVForm>(services.ctx, benchFolder());
        benchmark::DoNotOptimize(form.get());
    }
}
BENCHMARK(BM_KvCreateWindow)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_KvApplyAndGather(benchmark::State& state) {
    Services services;
    livna::TL640KVForm form(services.ctx, benchFolder());
    form.show();
    form.tabs()->setCurrentIndex(3);  // the object grid in front, so that it is painted
    QCoreApplication::processEvents();
    const livna::SettingsImage dense = livna::bench::denseKvImage();
    livna::SettingsImage sparse = dense;
    for (std::size_t i = 768; i < sparse.size(); ++i) sparse[i] = 0;
    bool flip = false;
    for (auto _ : state) {
        // Alternate so that every pass changes the grids.
        form.KvApplyImage(flip ? sparse : dense);
        flip = !flip;
        form.tabs()->setCurrentIndex(3);
        form.repaint();
        auto image = form.KvGatherImage();
        if (!image) {
            state.SkipWithError("KvGatherImage refused the image");
            break;
        }
        benchmark::DoNotOptimize(image->values().data());
    }
    form.hide();
}
BENCHMARK(BM_KvApplyAndGather)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_KvStoreObject(benchmark::State& state) {
    Services services;
    livna::TL640KVForm form(services.ctx, benchFolder());
    form.show();
    form.KvApplyImage(livna::bench::denseKvImage());
    form.tabs()->setCurrentIndex(3);
    QCoreApplication::processEvents();
    auto* grid = form.findChild<QTableView*>(QStringLiteral("ObjAssignStrGrid"));
    auto* zone = form.findChild<QCheckBox*>(QStringLiteral("Zone1ChB"));
    auto* save = form.findChild<QPushButton*>(QStringLiteral("ObjAssignSaveButton"));
    grid->setCurrentIndex(grid->model()->index(0, 4));  // object 1, ШС 1 of its РПД 1
    for (auto _ : state) {
        // Each pass frees or takes back the ШС: the grid changes every time.
        state.PauseTiming();
        zone->click();
        state.ResumeTiming();
        save->click();
        form.repaint();
        if (grid->currentIndex() != grid->model()->index(0, 4) || save->isEnabled()) {
            state.SkipWithError("the cell was not selected again");
            break;
        }
    }
    form.hide();
}
BENCHMARK(BM_KvStoreObject)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace
