// The setka editor model: ApplyImage followed by GatherImage and GatherCodes of a dense image,
// per system variant, without a window.
#include <benchmark/benchmark.h>

#include "setka/editor/setka_model.h"
#include "setka_dense_image.h"

namespace {

using namespace livna;
using namespace livna::setka;

/// Factory settings, then the dense configuration.
SettingsImage denseImage(LinkContext& context, L640View& view, L640Tables& tables) {
    factorySettings(context, view, tables);
    const bool kv = context.chosenVariant == SystemVariant::Kv4;
    bench::fillDenseCodes(tables.heldCodes, kv);
    return bench::denseSettings(tables.defaultSettings, kv);
}

void BM_ApplyGather(benchmark::State& state) {
    LinkContext context{.chosenVariant = static_cast<SystemVariant>(state.range(0)), .demoMode = true};
    L640View view;
    L640Tables tables;
    const SettingsImage image = denseImage(context, view, tables);
    for (auto _ : state) {
        ApplyReport report = applyImage(image, ImageSource::Other, context, view, tables);
        auto settings = gatherImage(context, view, tables);
        auto codes = gatherCodes(context, view, tables);
        benchmark::DoNotOptimize(report);
        benchmark::DoNotOptimize(settings);
        benchmark::DoNotOptimize(codes);
    }
}
BENCHMARK(BM_ApplyGather)->ArgName("variant")->Arg(1)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
