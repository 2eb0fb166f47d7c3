// Time of the Ливна-КВ settings model without a window: decoding an image with all 32 codes and
// all 768 zones in use, and encoding it back (aim: under 1 ms); storing one object's assignment
// and building the 768 rows of the object grid (aim: under 1 ms).
#include <benchmark/benchmark.h>

#include <string>
#include <variant>

#include "kv_bench_images.h"

namespace {

void BM_KvModelDecodeEncode(benchmark::State& state) {
    const livna::SettingsImage dense = livna::bench::denseKvImage();
    for (auto _ : state) {
        const livna::kv::Decoded decoded = livna::kv::decode(dense);
        auto image = livna::kv::encode(decoded.settings);
        if (!std::holds_alternative<livna::SettingsImage>(image)) {
            state.SkipWithError("encode refused the image");
            break;
        }
        benchmark::DoNotOptimize(std::get<livna::SettingsImage>(image).values().data());
    }
}
BENCHMARK(BM_KvModelDecodeEncode)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_KvStoreAssignmentAndRows(benchmark::State& state) {
    livna::kv::Settings s = livna::kv::decode(livna::bench::denseKvImage()).settings;
    // Object 1 holds ШС 1 of РПД 1; each pass frees or takes it back.
    bool held = true;
    std::size_t chars = 0;
    for (auto _ : state) {
        livna::kv::ZoneBoxes boxes = livna::kv::zoneBoxes(s, 1, 1);
        held = !held;
        boxes[0].ticked = held;
        livna::kv::storeAssignment(s, 1, true, 1, boxes);
        for (int n = 1; n <= livna::kv::kObjects; ++n) {
            const auto row = livna::kv::objectRowTexts(s, n);
            chars += row[4].size();
        }
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_KvStoreAssignmentAndRows)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
