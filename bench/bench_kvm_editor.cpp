// Times of the Ливна-КВ-М editor window (offscreen): creating it with its ~4000 controls, and
// showing an image (ApplyImage) and building one (GatherImage) with every code and key in use.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <memory>

#include "common/dialog_service.h"
#include "common/kvm_encoding.h"
#include "common/launcher.h"
#include "kvm_editor/l640msettingsunit.h"

namespace {

struct Services {
    livna::ScriptedDialogService dialogs;
    livna::RecordingLauncher launcher;
    livna::WizardState state;
    livna::AppContext ctx{dialogs, launcher, state};
};

QString benchFolder() {
    static QTemporaryDir folder;
    return folder.path();
}

/// All 32 codes and 96 keys in use, relays in "Специальный", own names: the most work there is.
livna::SettingsImage busyImage() {
    livna::SettingsImage im = livna::SettingsImage::fresh(livna::kKvmImageSize, 0);
    for (std::size_t i = 2; i <= 5; ++i) im[i] = livna::encodeDigit(static_cast<int>(i + 1));
    im[22] = 96;
    im[23] = 32;
    for (std::size_t i = 40; i <= 45; ++i) im[i] = livna::encodeDigit(static_cast<int>(i - 38));
    for (std::size_t i = 64; i <= 255; ++i) im[i] = static_cast<std::int32_t>(i % 17);
    for (std::size_t k = 1; k <= 16; ++k) im[255 + k] = livna::kOwnNameValue;
    for (std::size_t i = 272; i < 400; ++i) im[i] = 65 + static_cast<std::int32_t>(i % 26);
    im[768 + 1] = 6 + 16 * 6;
    im[768 + 18] = 6;
    im[768 + 27] = 6 + 16 * 6;
    for (std::size_t c = 0; c < 32; ++c)
        for (std::size_t i = 0; i < 8; ++i)
            im[1024 + 8 * c + i] = i < 6 ? livna::encodeDigit(static_cast<int>(1 + (c + i) % 9)) : 0x5A;
    for (std::size_t k = 0; k < 96; ++k)
        for (std::size_t i = 0; i < 8; ++i) im[1280 + 8 * k + i] = static_cast<std::int32_t>((k * 13 + i * 41) % 255);
    return im;
}

void BM_CreateWindow(benchmark::State& state) {
    Services services;
    for (auto _ : state) {
        auto form = std::make_unique<livna::TL640MSettingsForm>(services.ctx, benchFolder());
        benchmark::DoNotOptimize(form.get());
    }
}
BENCHMARK(BM_CreateWindow)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_ApplyImage(benchmark::State& state) {
    Services services;
    livna::TL640MSettingsForm form(services.ctx, benchFolder());
    const livna::SettingsImage busy = busyImage();
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
    form.ApplyImage(busyImage());
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
