// The setka editor window, per system variant (offscreen): creation with the layout and the
// factory settings, and ApplyImage + GatherImage + GatherCodes of a dense image.
#include <benchmark/benchmark.h>

#include "common/dialog_service.h"
#include "common/kvm_encoding.h"
#include "setka/editor/l640.h"

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

/// Every code and key in use (variants 1, 3) or an object on every loop (variant 5), own names for
/// every partition, bindings everywhere.
SettingsImage denseImage(TL640Form& form, bool kv) {
    SettingsImage settings = form.tables().defaultSettings;
    settings[9] = kv ? 32 : 96;
    settings[23] = kv ? 33 : 32;
    for (std::size_t k = 0; k < 16; ++k) {
        settings[256 + k] = 63;
        for (std::size_t c = 0; c < 8; ++c) settings[272 + 8 * k + c] = 0xA0 + static_cast<std::int32_t>(c);
    }
    for (std::size_t d = 0; d < 192; ++d) settings[64 + d] = static_cast<std::int32_t>(d % 17);
    SettingsImage codes = form.tables().heldCodes;
    for (std::size_t n = 0; n < 32; ++n) {
        for (std::size_t s = 0; s < 6; ++s) codes[8 * n + s] = encodeDigit(static_cast<int>((n + s) % 9 + 1));
        codes[8 * n + 6] = static_cast<std::int32_t>(n);
        codes[8 * n + 7] = 0x80;
    }
    if (kv) {
        for (std::size_t i = 0; i < 768; ++i) {
            const int object = static_cast<int>(i / 8 * 7 % 999 + 1);
            codes[256 + 2 * i] = object & 0xFF;
            codes[257 + 2 * i] = object >> 8;
        }
    } else {
        for (std::size_t i = 256; i < 1024; ++i) codes[i] = static_cast<std::int32_t>(i * 13 % 256);
    }
    form.setHeldCodes(codes);
    return settings;
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
