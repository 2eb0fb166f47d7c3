#include "setka/firmware/firmware_change.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "setka/editor/l640.h"

namespace livna::setka {

namespace {

constexpr const char* kConfirmCaption = "Confirm";

class QtBoundTimer : public BoundTimer {
public:
    QtBoundTimer() { m_timer.setSingleShot(true); }
    void arm(int ms, std::function<void()> expired) override {
        m_timer.disconnect();
        QObject::connect(&m_timer, &QTimer::timeout, std::move(expired));
        m_timer.start(ms);
    }
    void cancel() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

}  // namespace

FirmwareChange::FirmwareChange(TL640Form& editor, DialogService& dialogs, FirmwareLink link,
                               std::filesystem::path folder, BoundTimer* timer)
    : m_editor(editor),
      m_dialogs(dialogs),
      m_link(std::move(link)),
      m_folder(std::move(folder)),
      m_ownTimer(std::make_unique<QtBoundTimer>()),
      m_timer(timer == nullptr ? m_ownTimer.get() : timer) {
    m_editor.installEventFilter(this);
}

FirmwareChange::~FirmwareChange() {
    m_editor.removeEventFilter(this);
    m_timer->cancel();
}

void FirmwareChange::setTimer(BoundTimer* timer) {
    m_timer->cancel();
    m_timer = timer == nullptr ? m_ownTimer.get() : timer;
}

bool FirmwareChange::eventFilter(QObject* watched, QEvent* event) {
    // The panel is between two firmwares: the window stays until the transfer has ended.
    if (watched == &m_editor && event->type() == QEvent::Close && m_state == State::Transfer) {
        event->ignore();
        return true;
    }
    return false;
}

void FirmwareChange::begin(SystemVariant variant, int deviceType) {
    if (m_state != State::Idle) return;
    m_search = searchFirmware(m_folder, variant, deviceType);
    if (!m_search.taken) {
        m_dialogs.message(
            {kConfirmCaption, kFirmwareNoFileText, MsgIcon::Question, MsgButtons::Ok, MsgAnswer::Ok});
        m_editor.close();
        return;
    }
    m_deviceType = deviceType;
    m_editor.statusPanel(0)->setText(QString::fromUtf8(kPreparingText));
    m_state = State::Loader;
    const unsigned run = ++m_run;
    m_timer->arm(kLoaderBoundMs, [this] { loaderBound(); });
    ChainRequest request;
    request.steps = {LinkCommand::EnterLoader};
    request.deviceType = deviceType;
    m_link.start(std::move(request), [this, run](const ChainOutcome& outcome) {
        if (run == m_run) loaderEnded(outcome);
    });
}

void FirmwareChange::loaderEnded(const ChainOutcome& outcome) {
    if (m_state != State::Loader) return;
    m_timer->cancel();
    if (outcome.status != StepStatus::Done) {
        // A bad or missing reply: told now, not after the bound.
        m_state = State::Idle;
        failure();
        return;
    }
    m_editor.statusPanel(0)->setText(QString::fromUtf8(kChangingText));
    showTransfer(true);
    m_state = State::Transfer;
    const unsigned run = m_run;
    m_timer->arm(kTransferBoundMs, [this] { transferBound(); });
    ChainRequest request;
    request.steps = {LinkCommand::FirmwareStream};
    request.deviceType = m_deviceType;
    request.firmware = m_search.image;
    m_link.start(std::move(request), [this, run](const ChainOutcome& outcome) {
        if (run == m_run) transferEnded(outcome);
    });
}

void FirmwareChange::transferEnded(const ChainOutcome& outcome) {
    if (m_state != State::Transfer) return;
    m_timer->cancel();
    m_state = State::Idle;
    showTransfer(false);
    if (outcome.status == StepStatus::Done) {
        m_link.loaded();
        return;
    }
    // A refusal, a dead line or a lost port: its event is on the status line already.
    failure();
}

void FirmwareChange::progress(int value) {
    if (m_state != State::Transfer) return;
    m_editor.names().get<QProgressBar>(QStringLiteral("ProgressBar1"))->setValue(value);
}

void FirmwareChange::loaderBound() {
    if (m_state != State::Loader) return;
    m_state = State::Idle;
    ++m_run;  // a late outcome is not this change's any more
    m_link.stop();
    m_dialogs.inform(kSetkaTitle, kLoaderBoundText, MsgIcon::None);
    failure();
}

void FirmwareChange::transferBound() {
    if (m_state != State::Transfer) return;
    m_state = State::Idle;
    ++m_run;
    m_link.stop();
    showTransfer(false);
    m_dialogs.inform(kSetkaTitle, kTransferBoundText, MsgIcon::None);
    failure();
}

void FirmwareChange::cancel() {
    if (m_state == State::Idle) return;
    const bool transfer = m_state == State::Transfer;
    m_state = State::Idle;
    ++m_run;
    m_timer->cancel();
    m_link.stop();
    if (transfer) showTransfer(false);
}

void FirmwareChange::showTransfer(bool on) {
    auto* bar = m_editor.names().get<QProgressBar>(QStringLiteral("ProgressBar1"));
    if (on) bar->setValue(0);
    bar->setVisible(on);
    m_editor.names().get<QLabel>(QStringLiteral("VersionLabel"))->setVisible(!on);
    m_editor.names().get<QLabel>(QStringLiteral("TypeLabel"))->setVisible(!on);
    m_editor.setEnabled(!on);
    if (!on) m_editor.repaint();
}

void FirmwareChange::failure() {
    m_dialogs.message(
        {kConfirmCaption, kFirmwareFailureText, MsgIcon::Question, MsgButtons::Ok, MsgAnswer::Ok});
}

}  // namespace livna::setka
