// Times of the Ливна-КВ-М settings model without a window: decoding an image with every code and
// key in use, and encoding it back.
#include <benchmark/benchmark.h>

#include <variant>

#include "kvm_bench_images.h"
#include "kvm_editor/kvm_model.h"

namespace {

void BM_KvmModelDecodeEncode(benchmark::State& state) {
    const livna::SettingsImage busy = livna::bench::busyImage();
    for (auto _ : state) {
        const livna::kvm::Decoded decoded = livna::kvm::decode(busy);
        auto image = livna::kvm::encode(decoded.settings);
        if (!std::holds_alternative<livna::SettingsImage>(image)) {
            state.SkipWithError("encode refused the image");
            break;
        }
        benchmark::DoNotOptimize(std::get<livna::SettingsImage>(image).values().data());
    }
}
BENCHMARK(BM_KvmModelDecodeEncode)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
