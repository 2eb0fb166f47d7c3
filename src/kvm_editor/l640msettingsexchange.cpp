// The editor's work with the panel: the work mode, connect through UsbConnect, reading and
// writing the settings block by block, the registration blocks, disconnect, and the release of
// the link when the window closes.
//
// Exchanges run on the user-interface thread. While one runs the window is busy: every control
// except the bars is off, so nothing else can be started and the link cannot be released in the
// middle of it; pending events are processed after each block so that the bars keep painting.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include <array>

#include "common/settings_file.h"
#include "common/version_code.h"
#include "kvm_editor/l640msettingsunit.h"
#include "ui/link_messages.h"
#include "usblink/block_transfer.h"
#include "workwindow/editor_link.h"

namespace livna {

namespace {

constexpr int kSettingsBlocks = kKvmImageSize / kBlockSize;
constexpr auto kReadBlocks = blocksInPlace(std::array<std::uint8_t, kSettingsBlocks>{0, 1, 2, 3, 4, 5, 6, 7});
/// Block 2 holds the panel's registration data and is written only from a registration copy.
constexpr auto kWrittenBlocks = blocksInPlace(std::array<std::uint8_t, 7>{0, 1, 3, 4, 5, 6, 7});
/// The blocks of a registration copy, in the order of its lines.
constexpr auto kRegistrationBlocks = blocksPacked(std::array<std::uint8_t, 4>{2, 14, 15, 16});

// A read whose image the rules corrected: the box has named the fields.
constexpr const char* kTextReadCorrected =
    "Настройки считаны из прибора, недопустимые в окне значения исправлены.";
constexpr const char* kTextReadingRegistration = "Чтение сведений о регистрации из файла";
constexpr const char* kTextForgottenCopy = "Вы забыли открыть файл с копией!";

}  // namespace

// ---- work mode, connect, disconnect ------------------------------------------------------------

void TL640MSettingsForm::connectExchangeControls() {
    connect(m_operatingMode, &QComboBox::activated, this,
            [this](int index) { OperatingModeCmBSelect(index); });
    connect(m_connectButton, &QPushButton::clicked, this, [this] { ConnectButtonClick(); });
    connect(m_disconnectButton, &QPushButton::clicked, this, [this] { DisconnectButtonClick(); });
    connect(m_readButton, &QPushButton::clicked, this, [this] { ReadButtonClick(); });
    connect(m_writeButton, &QPushButton::clicked, this, [this] { WriteButtonClick(); });
    connect(this, &QDialog::finished, this, [this] { windowClosed(); });
}

void TL640MSettingsForm::OperatingModeCmBSelect(int index) {
    // Only these two buttons follow the mode; the link is left as it is.
    const bool online = index == 1;
    m_connectButton->setEnabled(online);
    m_loadButton->setEnabled(!online);
}

void TL640MSettingsForm::setConnectedButtons(bool connected) {
    livna::setConnectedButtons(m_connectButton,
                               {m_disconnectButton, m_readButton, m_writeButton, m_loadButton, m_saveButton},
                               connected);
}

void TL640MSettingsForm::ConnectButtonClick() {
    connectOverUsb(*this);
}

bool TL640MSettingsForm::accepts(const DeviceInfo& info) const {
    return acceptsFirmwareFamily(info, kKvmFirmwareMajor);
}

void TL640MSettingsForm::disconnectAction() {
    DisconnectButtonClick();
}

void TL640MSettingsForm::acceptanceAction(const DeviceInfo& info) {
    m_versionCode = static_cast<int>(info.versionCode);
    showPanelLabels(m_typeLabel, m_versionLabel, m_versionCode);
    setConnectedButtons(true);
    readFromPanel();
}

void TL640MSettingsForm::DisconnectButtonClick() {
    // The panel is sent nothing: the link stays open and the version code is kept.
    setConnectedButtons(false);
    m_versionLabel->clear();
    m_typeLabel->clear();
    m_copyNameLabel->clear();
    setStatus(QString::fromUtf8(kTextDisconnected));
}

void TL640MSettingsForm::windowClosed() {
    releaseEditorLink(*this, {m_disconnectButton, m_readButton, m_writeButton}, m_typeLabel, m_versionLabel);
}

BlockProgress TL640MSettingsForm::blockShown(bool settings) {
    // The registration blocks move no bar.
    if (settings) return settingsBlockShown(*this, kSettingsBlocks);
    return [](const BlockStep&) { keepPainting(); };
}

bool TL640MSettingsForm::toldLinkLost(const BlockTransfer& transfer) {
    return tellLinkLost(context().dialogs, transfer);
}

void TL640MSettingsForm::dropLostLink() {
    releaseLostLink(*this);
    DisconnectButtonClick();
    setStatus(QString::fromUtf8(kTextLinkLost));
}

// ---- read -------------------------------------------------------------------------------------

void TL640MSettingsForm::ReadButtonClick() {
    const ExchangeScope scope = exchangeScope();
    readFromPanel();
}

void TL640MSettingsForm::readFromPanel() {
    UsbPipes* usb = context().usb;
    if (usb == nullptr) return;  // Read is enabled only by a connect, which needs the link

    setStatus(QString::fromUtf8(kTextReading));
    setProgress(0);
    keepPainting();
    SettingsImage image(kKvmImageSize);
    const BlockTransfer transfer = readBlocks(*usb, kReadBlocks, image, blockShown(true));
    const bool lost = toldLinkLost(transfer);
    const std::vector<int>& failed = transfer.failed;
    if (failed.empty()) {
        setProgress(100);
        setStatus(QString::fromUtf8(kTextRead));
        m_tmpLines.clear();
        for (std::int32_t value : image.values()) m_tmpLines << QString::number(value);
        ApplyImage(image);
        m_tabs->setCurrentIndex(0);
        setProgress(0);
    }
    // Otherwise nothing is applied and the editor keeps what it showed.

    std::vector<int> failedRegistration;
    bool registrationLost = false;
    if (m_registrationOption->isChecked() && !lost)
        failedRegistration = readRegistrationBlocks(registrationLost);

    if (failed.empty() && failedRegistration.empty()) {
        setStatus(QString::fromUtf8(m_imageCorrected ? kTextReadCorrected : kTextRead));
        return;
    }
    QStringList told;
    if (!failed.empty()) {
        setStatus(settingsNotReadStatus(failed));
        told << settingsReadFailure(failed);
    } else {
        setStatus(QStringLiteral("Настройки считаны из прибора, сведения о регистрации не считаны: %1.")
                      .arg(blocksNotRead(failedRegistration)));
    }
    if (!failedRegistration.empty()) told << registrationReadFailure(failedRegistration);
    tellFailedBlocks(context().dialogs, told);
    if (lost || registrationLost) dropLostLink();
}

std::vector<int> TL640MSettingsForm::readRegistrationBlocks(bool& lost) {
    setStatus(QString::fromUtf8(kTextReadingRegistration));
    keepPainting();
    SettingsImage copy(kRegistrationCopySize);
    const BlockTransfer transfer = readBlocks(*context().usb, kRegistrationBlocks, copy, blockShown(false));
    lost = toldLinkLost(transfer);
    const std::vector<int>& failed = transfer.failed;
    // Only a whole copy is kept: a partial one must never reach the panel's registration blocks.
    // The copy no longer comes from the file named so far, so no name is shown.
    std::optional<RegistrationCopy> whole;
    if (failed.empty()) whole = RegistrationCopy{copy.values()};
    setRegistrationCopy(std::move(whole), QString());
    return failed;
}

// ---- write ------------------------------------------------------------------------------------

void TL640MSettingsForm::WriteButtonClick() {
    UsbPipes* usb = context().usb;
    if (usb == nullptr) return;  // Write is enabled only by a connect, which needs the link

    setStatus(QString::fromUtf8(kTextWriting));
    // Built before the window goes busy: a refused field takes the focus to be corrected.
    const std::optional<SettingsImage> image = GatherImage();
    if (!image) {
        setStatus(QStringLiteral("Запись в прибор не выполнена: исправьте указанное поле."));
        return;
    }

    const ExchangeScope scope = exchangeScope();
    keepPainting();
    const BlockTransfer transfer = writeBlocks(*usb, kWrittenBlocks, *image, blockShown(true));
    const bool lost = toldLinkLost(transfer);
    bool registrationLost = false;
    const std::vector<int>& failed = transfer.failed;
    if (failed.empty()) {
        setProgress(100);
        setStatus(QString::fromUtf8(kTextWritten));
        setProgress(0);
    }

    QStringList told;
    QString registrationStatus;
    if (m_registrationOption->isChecked() && !lost) {
        if (!m_registrationCopy) {
            context().dialogs.inform(kCaptionSystemMessage, kTextForgottenCopy, MsgIcon::Warning);
            loadRegistrationCopy();  // a refused file is told there
        }
        // Still none: the installer cancelled (or the file was refused), nothing more to say. A
        // held copy is whole (read from the panel, or checked whole when its file was read), so a
        // bad line can never leave the panel with part of a copy.
        if (m_registrationCopy) {
            const BlockTransfer registration = writeBlocks(
                *usb, kRegistrationBlocks, SettingsImage(m_registrationCopy->values), blockShown(false));
            registrationLost = toldLinkLost(registration);
            const std::vector<int>& failedRegistration = registration.failed;
            if (!failedRegistration.empty()) {
                registrationStatus = QStringLiteral("сведения о регистрации записаны не полностью: %1")
                                         .arg(blocksNotWritten(failedRegistration));
                told << registrationWriteFailure(failedRegistration);
            }
        }
    }

    if (failed.empty() && told.isEmpty()) {
        setStatus(QString::fromUtf8(kTextWritten));
        return;
    }
    if (!failed.empty()) {
        setStatus(settingsNotWrittenStatus(failed));
        told.prepend(settingsWriteFailure(failed));
    } else {
        setStatus(QStringLiteral("Настройки записаны в прибор, ") + registrationStatus + QStringLiteral("."));
    }
    tellFailedBlocks(context().dialogs, told);
    if (lost || registrationLost) dropLostLink();
}

}  // namespace livna
