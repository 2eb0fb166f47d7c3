// Pictures of the windows an installer meets in the Ливна-КВ-М flow and of the Ливна-КВ editor,
// taken offscreen, for the README: livna_screenshots OUTPUT_DIR writes one PNG per window there.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTextStream>

#include <cstdio>
#include <functional>

#include "common/launcher.h"
#include "kv_editor/l640kvunit.h"
#include "kvm_editor/l640msettingsunit.h"
#include "setka/link/fake_link_port.h"
#include "setka/mainwin/mainunit.h"
#include "ui/application.h"
#include "ui/qt_dialog_service.h"
#include "wizard/bootunit.h"
#include "wizard/infounit.h"
#include "wizard/modeselectunit.h"
#include "wizard/wizardwindows.h"

using namespace livna;

namespace {

// Upper bound on the preparation list filling itself in.
constexpr int kInfoReadyTimeoutMs = 10000;

void choose(QWidget* window, const QString& caption) {
    for (QRadioButton* radio : window->findChildren<QRadioButton*>())
        if (radio->text() == caption) radio->setChecked(true);
}

void waitFor(const std::function<bool()>& ready) {
    QElapsedTimer timer;
    timer.start();
    while (!ready() && timer.elapsed() < kInfoReadyTimeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool shoot(QWidget* window, const QDir& out, const QString& name) {
    window->show();
    QApplication::processEvents();
    const bool saved = window->grab().save(out.filePath(name + ".png"));
    QTextStream(stdout) << (saved ? "" : "NOT SAVED: ") << out.filePath(name + ".png") << "\n";
    window->hide();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: livna_screenshots OUTPUT_DIR\n", stderr);
        return 2;
    }
    installQtTranslations(app, QCoreApplication::applicationDirPath());
    const QDir out(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    QtDialogService dialogs;
    RecordingLauncher launcher;
    WizardState state;
    AppContext ctx{dialogs, launcher, state};
    WizardWindows windows(ctx);

    bool saved = true;
    choose(windows.boot(), QStringLiteral("Ливна-КВ-М"));
    saved &= shoot(windows.boot(), out, QStringLiteral("wizard_system"));
    choose(windows.modeSelect(), QStringLiteral("Настройка прибора"));
    saved &= shoot(windows.modeSelect(), out, QStringLiteral("wizard_job"));
    // Showing the job window cleared the job; the preparation lists what the first two chose.
    state = {SystemType::Kvm, OperationMode::Settings};
    windows.info()->show();
    auto* next = windows.info()->findChild<QPushButton*>(QStringLiteral("NextButton"));
    waitFor([next] { return next == nullptr || next->isEnabled(); });
    saved &= shoot(windows.info(), out, QStringLiteral("wizard_preparation"));
    saved &= shoot(windows.kvmEditor(), out, QStringLiteral("kvm_editor"));
    saved &= shoot(windows.kvEditor(), out, QStringLiteral("kv_editor"));
    setka::FakePortOpener ports;
    TMainForm setkaMain(dialogs, launcher, ports.opener());
    saved &= shoot(&setkaMain, out, QStringLiteral("setka_main"));
    return saved ? 0 : 1;
}
