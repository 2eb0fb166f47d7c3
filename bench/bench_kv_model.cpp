// Time of the Ливна-КВ settings model without a window: decoding an image with all 32 codes and
// all 768 zones in use, and encoding it back (aim: under 1 ms).
#include <benchmark/benchmark.h>

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

}  // namespace

BENCHMARK_MAIN();
