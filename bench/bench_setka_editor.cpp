// The setka editor window, per system variant (offscreen): creation with the layout and the
// factory settings, and ApplyImage + GatherImage + GatherCodes of a dense image.
#include <benchmark/benchmark.h>

#include "common/dialog_service.h"
#include "setka/editor/l640.h"
#include "setka_dense_image.h"

namespace {

using namespace livna;
using namespace livna::setka;

LinkContext demoContext(const benchmark::State& state) {
    return LinkContext{.chosenVariant = static_cast<SystemVariant>(state.range(0)), .demoMode = true};
}

void BM_CreateLayOutFactory(benchmark::State& state) {
    ScriptedDialogService dialogs;
    LinkContext context = demoContext(state);
    for (auto _ : state) {
        TL640Form form(dialogs, context);
        form.LayOut(context.chosenVariant);
        form.DefaultButtonClick();
        benchmark::DoNotOptimize(form.tables().relayByte);
    }
}
BENCHMARK(BM_CreateLayOutFactory)
    ->ArgName("variant")
    ->Arg(1)
    ->Arg(3)
    ->Arg(5)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

/// The dense configuration after factory settings: its held codes go to the window.
SettingsImage denseImage(TL640Form& form, bool kv) {
    SettingsImage codes = form.tables().heldCodes;
    bench::fillDenseCodes(codes, kv);
    form.setHeldCodes(codes);
    return bench::denseSettings(form.tables().defaultSettings, kv);
}

void BM_ApplyGather(benchmark::State& state) {
    ScriptedDialogService dialogs;
    LinkContext context = demoContext(state);
    TL640Form form(dialogs, context);
    form.LayOut(context.chosenVariant);
    form.DefaultButtonClick();
    const SettingsImage image = denseImage(form, context.chosenVariant == SystemVariant::Kv4);
    for (auto _ : state) {
        form.ApplyImage(image);
        auto settings = form.GatherImage();
        auto codes = form.GatherCodes();
        benchmark::DoNotOptimize(settings);
        benchmark::DoNotOptimize(codes);
    }
}
BENCHMARK(BM_ApplyGather)
    ->ArgName("variant")
    ->Arg(1)
    ->Arg(3)
    ->Arg(5)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace
