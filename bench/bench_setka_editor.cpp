// The setka editor window, per system variant (offscreen): creation with the layout and the
// factory settings, ApplyImage + GatherImage + GatherCodes of a dense image, and leaving a field
// whose rule reads a whole tab: an RPDI field with all 192 system numbers in use, an RPD field.
#include <QApplication>

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

/// Leaves one of two fields for the other, Tab-wise, once per iteration: every leave runs the
/// field's exit check, which accepts (no box).
void leaveFields(benchmark::State& state, const char* first, const char* second) {
    ScriptedDialogService dialogs;
    LinkContext context{.chosenVariant = SystemVariant::Kvm4, .demoMode = true};
    TL640Form form(dialogs, context);
    form.LayOut(context.chosenVariant);
    form.DefaultButtonClick();  // system numbers 1..192, bindings within their ranges
    const std::array<QWidget*, 2> fields{form.names().find(QString::fromLatin1(first)),
                                         form.names().find(QString::fromLatin1(second))};
    bringPageToFront(fields[0]);
    form.show();
    form.activateWindow();
    QApplication::processEvents();
    fields[0]->setFocus(Qt::TabFocusReason);
    if (QApplication::focusWidget() != fields[0]) {
        state.SkipWithError("the offscreen window did not take the focus");
        return;
    }
    // The leaves put SystemNumbers back in step with the fields: a sign that the checks ran.
    form.tables().systemNumbers[0] = 0;
    std::size_t next = 1;
    for (auto _ : state) {
        fields[next]->setFocus(Qt::TabFocusReason);
        next ^= 1;
    }
    if (!dialogs.messages().empty()) state.SkipWithError("a leave was refused");
    if (fields[0]->objectName().startsWith(QStringLiteral("RPDI")) && form.tables().systemNumbers[0] != 1)
        state.SkipWithError("no exit check ran");
    form.hide();
}

void BM_LeaveSystemNumberField(benchmark::State& state) {
    leaveFields(state, "RPDI11", "RPDI12");
}
BENCHMARK(BM_LeaveSystemNumberField)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_LeaveBindingField(benchmark::State& state) {
    leaveFields(state, "RPD21", "RPD22");
}
BENCHMARK(BM_LeaveBindingField)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace
