// The setka editor model: ApplyImage followed by GatherImage and GatherCodes of a dense image,
// per system variant, without a window; the object leave of the field rules.
#include <benchmark/benchmark.h>

#include "setka/editor/setka_model.h"
#include "setka/editor/setka_rules.h"
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

/// The object leave alone: all 768 loops in use, each its own object; the edited field changed
/// from 0, so the whole table is looked through for a repeat, and none found.
void BM_ObjectLeave(benchmark::State& state) {
    std::array<std::optional<int>, kObjectFields> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) fields[i] = static_cast<int>(i) + 1;
    for (auto _ : state) {
        ObjectLeave leave = leaveObject(fields, 0, 0);
        benchmark::DoNotOptimize(leave);
    }
}
BENCHMARK(BM_ObjectLeave)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
