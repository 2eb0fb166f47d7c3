// The editor's work with the panel: the work mode, connect through UsbConnect, reading and
// writing the nine settings blocks, disconnect, and the release of the link when the window closes.
//
// Exchanges run on the user-interface thread inside an exchange scope: every control but the bars
// is off, so nothing else can be started and the link cannot be released in the middle of one.
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <array>

#include "common/version_code.h"
#include "kv_editor/l640kvunit.h"
#include "ui/link_messages.h"
#include "workwindow/editor_link.h"

namespace livna {

namespace {

constexpr int kSettingsBlocks = kKvImageSize / kBlockSize;
/// Every block is read and written, block 2 too: the Ливна-КВ panel keeps no registration data there.
constexpr auto kSettingsPlaces =
    blocksInPlace(std::array<std::uint8_t, kSettingsBlocks>{0, 1, 2, 3, 4, 5, 6, 7, 8});

}  // namespace

// ---- work mode, connect, disconnect ------------------------------------------------------------

void TL640KVForm::connectExchangeControls() {
    connect(m_operatingMode, &QComboBox::activated, this,
            [this](int index) { OperatingModeCmBSelect(index); });
    connect(m_connectButton, &QPushButton::clicked, this, [this] { ConnectButtonClick(); });
    connect(m_disconnectButton, &QPushButton::clicked, this, [this] { DisconnectButtonClick(); });
    connect(m_readButton, &QPushButton::clicked, this, [this] { ReadButtonClick(); });
    connect(m_writeButton, &QPushButton::clicked, this, [this] { WriteButtonClick(); });
    connect(this, &QDialog::finished, this, [this] { windowClosed(); });
}

void TL640KVForm::OperatingModeCmBSelect(int index) {
    // Files belong to the demo mode; on-line they follow the connection.
    const bool online = index == 1;
    m_connectButton->setEnabled(online);
    m_saveButton->setEnabled(!online);
    m_loadButton->setEnabled(!online);
}

void TL640KVForm::setConnectedButtons(bool connected) {
    livna::setConnectedButtons(m_connectButton,
                               {m_disconnectButton, m_readButton, m_writeButton, m_loadButton, m_saveButton},
                               connected);
}

void TL640KVForm::ConnectButtonClick() {
    connectOverUsb(*this);
}

bool TL640KVForm::accepts(const DeviceInfo& info) const {
    return acceptsFirmwareFamily(info, kKvFirmwareMajor);
}

void TL640KVForm::disconnectAction() {
    DisconnectButtonClick();
}

void TL640KVForm::acceptanceAction(const DeviceInfo& info) {
    m_model.versionCode = static_cast<int>(info.versionCode);
    showPanelLabels(m_typeLabel, m_versionLabel, m_model.versionCode);
    setConnectedButtons(true);
    readFromPanel();
}

void TL640KVForm::DisconnectButtonClick() {
    // The panel is sent nothing: the link stays open and the version code is kept.
    setConnectedButtons(false);
    m_typeLabel->clear();
    m_versionLabel->clear();
    setStatus(QString::fromUtf8(kTextDisconnected));
}

void TL640KVForm::windowClosed() {
    releaseEditorLink(*this, {m_disconnectButton, m_readButton, m_writeButton}, m_typeLabel, m_versionLabel);
}

void TL640KVForm::dropLostLink() {
    releaseLostLink(*this);
    DisconnectButtonClick();
    setStatus(QString::fromUtf8(kTextLinkLost));
}

// ---- read -------------------------------------------------------------------------------------

void TL640KVForm::ReadButtonClick() {
    const ExchangeScope scope = exchangeScope();
    readFromPanel();
}

void TL640KVForm::readFromPanel() {
    UsbPipes* usb = context().usb;
    if (usb == nullptr) return;  // Read is enabled only by a connect, which needs the link

    setStatus(QString::fromUtf8(kTextReading));
    setProgress(0);
    m_memo1->clear();
    keepPainting();
    SettingsImage image(kKvImageSize);
    const BlockProgress shown = settingsBlockShown(*this, kSettingsBlocks);
    const BlockTransfer transfer = readBlocks(*usb, kSettingsPlaces, image, [&](const BlockStep& step) {
        if (step.ok) {
            // One line per value received: its place in the block and the value.
            QStringList lines;
            for (std::size_t i = 0; i < kBlockSize; ++i)
                lines << QStringLiteral("%1 - %2").arg(i).arg(image.block(step.number)[i]);
            m_memo1->appendPlainText(lines.join(QLatin1Char('\n')));
        }
        shown(step);
    });
    const bool lost = tellLinkLost(context().dialogs, transfer);
    if (!transfer.ok()) {
        // Nothing is applied: the editor and `tmpListB` keep the last whole image.
        setStatus(settingsNotReadStatus(transfer.failed));
        tellFailedBlocks(context().dialogs, {settingsReadFailure(transfer.failed)});
        if (lost) dropLostLink();
        return;
    }
    setProgress(100);
    setStatus(QString::fromUtf8(kTextRead));
    KvApplyImage(image);
    m_tabs->setCurrentIndex(0);
    setProgress(0);
}

// ---- write ------------------------------------------------------------------------------------

void TL640KVForm::WriteButtonClick() {
    UsbPipes* usb = context().usb;
    if (usb == nullptr) return;  // Write is enabled only by a connect, which needs the link

    setStatus(QString::fromUtf8(kTextWriting));
    // Built before the window goes busy: a refused field takes the focus to be corrected.
    const std::optional<SettingsImage> image = KvGatherImage();
    if (!image) {
        setStatus(QStringLiteral("Запись в прибор не выполнена: исправьте указанное поле."));
        return;
    }

    const ExchangeScope scope = exchangeScope();
    keepPainting();
    const BlockTransfer transfer =
        writeBlocks(*usb, kSettingsPlaces, *image, settingsBlockShown(*this, kSettingsBlocks));
    const bool lost = tellLinkLost(context().dialogs, transfer);
    if (!transfer.ok()) {
        setStatus(settingsNotWrittenStatus(transfer.failed));
        tellFailedBlocks(context().dialogs, {settingsWriteFailure(transfer.failed)});
        if (lost) dropLostLink();
        return;
    }
    setProgress(100);
    setStatus(QString::fromUtf8(kTextWritten));
    setProgress(0);
}

}  // namespace livna
