// setka's editor against the simulated panel on a paced pty (1200 baud): "Выполнить" until
// "Чтение конфигурации завершено", and "Записать конфигурацию в прибор" until "Запись
// конфигурации завершена", each beside the time the protocol itself takes. The read: the port's
// settling 300 ms, the connect's 2000 ms pause and 5 bytes, the version read of one block
// (265 bytes), and the 4 + 4 read (2066 bytes), at 10/1200 s a byte: about 21.77 s. The write:
// 2066 bytes, about 17.22 s. A ratio near 1 means the program adds next to nothing to the line.

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

#include "common/dialog_service.h"
#include "common/launcher.h"
#include "setka/editor/l640.h"
#include "setka/link/link_port.h"
#include "setka/mainwin/mainunit.h"
#include "setka_pty_panel.h"

namespace {

using namespace livna;
using namespace livna::setka;
using Clock = std::chrono::steady_clock;

constexpr double kOpenMs = 300;
constexpr double kConnectPauseMs = 2000;
constexpr double kReadLineMs = kOpenMs + kConnectPauseMs + (5 + 265 + 2066) * panelsim::kByteTimeMs;
constexpr double kWriteLineMs = 2066 * panelsim::kByteTimeMs;

/// Calls done once the status line of editor ends with text, polling from the event loop.
void whenStatus(TL640Form* editor, const QString& text, std::function<void()> done) {
    auto* poll = new QTimer(editor);
    poll->setInterval(2);
    QObject::connect(poll, &QTimer::timeout, editor, [editor, poll, text, done = std::move(done)] {
        if (!editor->statusPanel(0)->text().endsWith(text)) return;
        poll->stop();
        poll->deleteLater();
        done();
    });
    poll->start();
}

void BM_ExecuteReadThenWrite(benchmark::State& state) {
    bench::SetkaPtyPanel panel(panelsim::LineOptions{});
    ScriptedDialogService dialogs;
    RecordingLauncher launcher;
    const PortBackends backends{panel.root(), nullptr, nullptr};
    TMainForm form(dialogs, launcher, [&backends](PortKind kind, int comNumber) {
        return openLinkPort(kind, comNumber, backends);
    });
    form.names().get<QAbstractButton>(QStringLiteral("RPYKVM4"))->click();
    form.names().get<QAbstractButton>(QStringLiteral("RadioButton1"))->click();  // "COM", com 1

    double readMs = 0;
    double writeMs = 0;
    for (auto _ : state) {
        Clock::time_point t0 = Clock::now();
        Clock::time_point t1;
        QObject::connect(&form, &TMainForm::editorShown, &form, [&](TL640Form* editor) {
            whenStatus(editor, QStringLiteral("Чтение конфигурации завершено"), [&, editor] {
                readMs += std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                // The buttons come back as the image is shown.
                QTimer::singleShot(0, editor, [&, editor] {
                    t1 = Clock::now();
                    editor->names().get<QPushButton>(QStringLiteral("WriteButton"))->click();
                    whenStatus(editor, QStringLiteral("Запись конфигурации завершена"), [&, editor] {
                        writeMs += std::chrono::duration<double, std::milli>(Clock::now() - t1).count();
                        editor->close();
                    });
                });
            });
        });
        form.Livna640Click();  // returns when the editor is closed
        QObject::disconnect(&form, &TMainForm::editorShown, nullptr, nullptr);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["read_ms"] = readMs / n;
    state.counters["read_line_ms"] = kReadLineMs;
    state.counters["read_ratio"] = readMs / n / kReadLineMs;
    state.counters["write_ms"] = writeMs / n;
    state.counters["write_line_ms"] = kWriteLineMs;
    state.counters["write_ratio"] = writeMs / n / kWriteLineMs;
    if (!dialogs.messages().empty()) state.SkipWithError(dialogs.messages().front().text.c_str());
}

}  // namespace

BENCHMARK(BM_ExecuteReadThenWrite)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
