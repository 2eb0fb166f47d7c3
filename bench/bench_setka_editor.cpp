// The setka editor window, per system variant (offscreen): creation with the layout and the
// factory settings, ApplyImage + GatherImage + GatherCodes of a dense image, and leaving a field
// whose rule reads a whole tab: an RPDI field with all 192 system numbers in use, an RPD field,
// an Object field with all 768 loops in use.
#include <QApplication>
#include <QLineEdit>

#include <functional>

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
/// field's exit check, which accepts (no box). prepare() readies the window before the leaves
/// and marks a table that the checks put back; ran() tells whether they did. edit(), when given,
/// changes the field about to be left, as typing would.
void leaveFields(benchmark::State& state, SystemVariant variant, const char* first, const char* second,
                 const std::function<void(TL640Form&)>& prepare, const std::function<bool(TL640Form&)>& ran,
                 const std::function<void(QWidget*)>& edit = {}) {
    ScriptedDialogService dialogs;
    LinkContext context{.chosenVariant = variant, .demoMode = true};
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
    prepare(form);
    std::size_t next = 1;
    for (auto _ : state) {
        if (edit) edit(fields[next ^ 1]);
        fields[next]->setFocus(Qt::TabFocusReason);
        next ^= 1;
    }
    if (!dialogs.messages().empty()) state.SkipWithError("a leave was refused");
    if (!ran(form)) state.SkipWithError("no exit check ran");
    form.hide();
}

void BM_LeaveSystemNumberField(benchmark::State& state) {
    // The leaves put SystemNumbers back in step with the fields.
    leaveFields(
        state, SystemVariant::Kvm4, "RPDI11", "RPDI12",
        [](TL640Form& form) { form.tables().systemNumbers[0] = 0; },
        [](TL640Form& form) { return form.tables().systemNumbers[0] == 1; });
}
BENCHMARK(BM_LeaveSystemNumberField)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_LeaveBindingField(benchmark::State& state) {
    leaveFields(
        state, SystemVariant::Kvm4, "RPD21", "RPD22", [](TL640Form&) {}, [](TL640Form&) { return true; });
}
BENCHMARK(BM_LeaveBindingField)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

/// Variant 5 with all 768 loops in use, each its own object 1..768: every leave reads all the
/// fields and, the number having changed (n and n + 768 in turn), looks for a repeat and finds none.
void BM_LeaveObjectField(benchmark::State& state) {
    leaveFields(
        state, SystemVariant::Kv4, "Object11", "Object21",
        [](TL640Form& form) {
            for (int r = 1; r <= kReceivers; ++r)
                for (int p = 1; p <= kRpdsPerReceiver; ++p)
                    for (int s = 1; s <= kLoopsPerRpd; ++s) {
                        const QString suffix = r == 1 ? QString() : QStringLiteral("R%1").arg(r);
                        const int object =
                            kRpdsPerReceiver * kLoopsPerRpd * (r - 1) + kLoopsPerRpd * (p - 1) + s;
                        form.names()
                            .get<QLineEdit>(QStringLiteral("Object%1%2").arg(s).arg(p) + suffix)
                            ->setText(QString::number(object));
                    }
            form.tables().objectNumbers.back() = 0;
        },
        [](TL640Form& form) { return form.tables().objectNumbers.back() == kObjectFields; },
        [](QWidget* field) {
            auto* edit = static_cast<QLineEdit*>(field);
            const int n = edit->text().trimmed().toInt();
            edit->setText(QString::number(n > kObjectFields ? n - kObjectFields : n + kObjectFields));
        });
}
BENCHMARK(BM_LeaveObjectField)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace
