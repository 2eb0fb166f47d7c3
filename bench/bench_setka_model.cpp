// The setka editor model: ApplyImage followed by GatherImage and GatherCodes of a dense image,
// per system variant, without a window.
#include <benchmark/benchmark.h>

#include "common/kvm_encoding.h"
#include "setka/editor/setka_model.h"

namespace {

using namespace livna;
using namespace livna::setka;

/// Factory settings, then a SettingsImage and held codes with every code and key in use
/// (variants 1, 3) or an object on every loop (variant 5), and own names for every partition.
SettingsImage denseImage(LinkContext& context, L640View& view, L640Tables& tables) {
    factorySettings(context, view, tables);
    const bool kv = context.chosenVariant == SystemVariant::Kv4;
    SettingsImage settings = tables.defaultSettings;
    settings[9] = kv ? 32 : 96;
    settings[23] = kv ? 33 : 32;
    for (std::size_t k = 0; k < 16; ++k) {
        settings[256 + k] = 63;
        for (std::size_t c = 0; c < 8; ++c) settings[272 + 8 * k + c] = 0xA0 + static_cast<std::int32_t>(c);
    }
    for (std::size_t d = 0; d < 192; ++d) settings[64 + d] = static_cast<std::int32_t>(d % 17);
    SettingsImage& codes = tables.heldCodes;
    for (std::size_t n = 0; n < 32; ++n) {
        for (std::size_t s = 0; s < 6; ++s) codes[8 * n + s] = encodeDigit(static_cast<int>((n + s) % 9 + 1));
        codes[8 * n + 6] = static_cast<std::int32_t>(n);
        codes[8 * n + 7] = 0x80;
    }
    if (kv) {
        // One object per РПД, on every loop of it.
        for (std::size_t i = 0; i < 768; ++i) {
            const int object = static_cast<int>(i / 8 * 7 % 999 + 1);
            codes[256 + 2 * i] = object & 0xFF;
            codes[257 + 2 * i] = object >> 8;
        }
    } else {
        for (std::size_t i = 256; i < 1024; ++i) codes[i] = static_cast<std::int32_t>(i * 13 % 256);
    }
    return settings;
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
