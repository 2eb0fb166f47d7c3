// setka's main window and files, per system variant (offscreen): the "Демо режим" click until
// the editor is shown (compare with BM_CreateLayOutFactory of bench_setka_editor), and the load
// of a dense settings file beside ApplyImage of the same images and the file's read alone.
#include <QDir>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "common/launcher.h"
#include "setka/editor/l640.h"
#include "setka/editor/setka_files.h"
#include "setka/link/fake_link_port.h"
#include "setka/mainwin/mainunit.h"
#include "setka_dense_image.h"

namespace {

using namespace livna;
using namespace livna::setka;

const char* const kVariantButton[] = {"", "RPYKVM1", "", "RPYKVM4", "", "RPYKV4"};

/// Every figure per variant, the median of seven runs.
void perVariant(benchmark::internal::Benchmark* b) {
    b->ArgName("variant")
        ->Arg(1)
        ->Arg(3)
        ->Arg(5)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
}

void BM_DemoClickToEditorShown(benchmark::State& state) {
    ScriptedDialogService dialogs;
    RecordingLauncher launcher;
    FakePortOpener ports;
    TMainForm form(dialogs, launcher, ports.opener());
    const auto variant = static_cast<std::size_t>(state.range(0));
    if (variant == 5) form.CheckBoxKVClick();
    form.names().get<QRadioButton>(QString::fromLatin1(kVariantButton[variant]))->setChecked(true);
    QElapsedTimer clock;
    double shownAfterSeconds = 0;
    QObject::connect(&form, &TMainForm::editorShown, [&](TL640Form* editor) {
        shownAfterSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        editor->close();
    });
    for (auto _ : state) {
        clock.start();
        form.Button1Click();
        state.SetIterationTime(shownAfterSeconds);
    }
}
BENCHMARK(BM_DemoClickToEditorShown)->Apply(perVariant)->UseManualTime()->Iterations(3);

/// A demo editor of the variant holding the dense configuration, and its file.
struct DenseFile {
    explicit DenseFile(SystemVariant variant) : context{.chosenVariant = variant, .demoMode = true} {
        form.LayOut(variant);
        form.DefaultButtonClick();
        const bool kv = variant == SystemVariant::Kv4;
        SettingsImage codes = form.tables().heldCodes;
        bench::fillDenseCodes(codes, kv);
        form.setHeldCodes(codes);
        form.ApplyImage(bench::denseSettings(form.tables().defaultSettings, kv));
        path = folder.filePath(QStringLiteral("dense.cfg")).toStdString();
        dialogs.chooseNext(path);
        form.SaveButtonClick();
        file = readValuesFile(pathFromUtf8(path), fileLines(variant));
    }
    ScriptedDialogService dialogs;
    LinkContext context;
    TL640Form form{dialogs, context};
    QTemporaryDir folder;
    std::string path;
    ValuesResult file;
};

void BM_LoadFile(benchmark::State& state) {
    DenseFile dense(static_cast<SystemVariant>(state.range(0)));
    for (auto _ : state) {
        dense.dialogs.chooseNext(dense.path);
        dense.form.LoadButtonClick();
    }
    if (!dense.file.ok() || !dense.dialogs.messages().empty()) state.SkipWithError("the file was not loaded");
}
BENCHMARK(BM_LoadFile)->Apply(perVariant);

/// The part of a load that is not ApplyImage: the file read twice (line 1 first) and taken apart.
void BM_ReadFileOnly(benchmark::State& state) {
    const auto variant = static_cast<SystemVariant>(state.range(0));
    DenseFile dense(variant);
    const std::filesystem::path path = pathFromUtf8(dense.path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(readValuesFile(path, kFileVersionLines));
        auto content = splitSettingsFile(variant, readValuesFile(path, fileLines(variant)));
        benchmark::DoNotOptimize(content);
    }
}
BENCHMARK(BM_ReadFileOnly)->Apply(perVariant);

void BM_ApplyImageOfTheFile(benchmark::State& state) {
    const auto variant = static_cast<SystemVariant>(state.range(0));
    DenseFile dense(variant);
    const auto content = splitSettingsFile(variant, dense.file);
    if (!content) {
        state.SkipWithError("the file was not read");
        return;
    }
    for (auto _ : state) {
        dense.form.setHeldCodes(content->codes);
        dense.form.ApplyImage(content->settings);
    }
}
BENCHMARK(BM_ApplyImageOfTheFile)->Apply(perVariant);

}  // namespace
