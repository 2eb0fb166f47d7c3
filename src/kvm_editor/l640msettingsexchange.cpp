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

namespace livna {

namespace {

constexpr std::size_t kSettingsBlocks = kKvmImageSize / kBlockSize;
constexpr auto kReadBlocks = blocksInPlace(std::array<std::uint8_t, kSettingsBlocks>{0, 1, 2, 3, 4, 5, 6, 7});
/// Block 2 holds the panel's registration data and is written only from a registration copy.
constexpr auto kWrittenBlocks = blocksInPlace(std::array<std::uint8_t, 7>{0, 1, 3, 4, 5, 6, 7});
/// The blocks of a registration copy, in the order of its lines.
constexpr auto kRegistrationBlocks = blocksPacked(std::array<std::uint8_t, 4>{2, 14, 15, 16});

constexpr const char* kTextReading = "Чтение настроек из прибора";
constexpr const char* kTextRead = "Настройки успешно считаны из прибора.";
// A read whose image the rules corrected: the box has named the fields.
constexpr const char* kTextReadCorrected =
    "Настройки считаны из прибора, недопустимые в окне значения исправлены.";
constexpr const char* kTextReadingRegistration = "Чтение сведений о регистрации из файла";
constexpr const char* kTextWriting = "Запись настроек в прибор.";
constexpr const char* kTextWritten = "Настройки успешно записаны в прибор.";
constexpr const char* kTextDisconnected = "Связь с прибором разорвана.";
constexpr const char* kTextLinkLost =
    "Нет связи с прибором. Проверьте подключение и установите связь заново.";
constexpr const char* kTextForgottenCopy = "Вы забыли открыть файл с копией!";

/// Progress after settings block b: 12, 25, 37, 50, 62, 75, 87, 100.
int blockProgress(int block) {
    return (block + 1) * 100 / static_cast<int>(kSettingsBlocks);
}

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
    m_connectButton->setEnabled(!connected);
    for (QPushButton* b : {m_disconnectButton, m_readButton, m_writeButton, m_loadButton, m_saveButton})
        b->setEnabled(connected);
}

void TL640MSettingsForm::ConnectButtonClick() {
    connectOverUsb(*this);
}

void TL640MSettingsForm::setStatusText(const std::string& text) {
    setStatusNow(text);
}

std::uint8_t TL640MSettingsForm::identifyCommand() const {
    return kCmdIdentify;
}

bool TL640MSettingsForm::accepts(const DeviceInfo& info) const {
    // The type code is not examined: the firmware family alone tells a Ливна-КВ-М panel.
    return editorVersionParts(static_cast<int>(info.versionCode)).major == kKvmFirmwareMajor;
}

std::string TL640MSettingsForm::refusalMessage() const {
    return kTextWrongSystem;
}

void TL640MSettingsForm::disconnectAction() {
    DisconnectButtonClick();
}

void TL640MSettingsForm::acceptanceAction(const DeviceInfo& info) {
    m_versionCode = static_cast<int>(info.versionCode);
    m_typeLabel->setText(QString::fromUtf8(kBoardDName));
    m_versionLabel->setText(QString::fromStdString(versionText(editorVersionParts(m_versionCode))));
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
    if (context().usb != nullptr) {
        context().usb->release();
        tellSystemError(context().dialogs, context().usb->systemText());
    }
    // The link is gone, so the next opening must not offer Read or Write on it.
    m_disconnectButton->setEnabled(false);
    m_readButton->setEnabled(false);
    m_writeButton->setEnabled(false);
    m_typeLabel->clear();
    m_versionLabel->clear();
}

BlockProgress TL640MSettingsForm::blockShown(bool settings) {
    // The system's text is told once per transfer, not once per block.
    return [this, settings](const BlockStep& step) {
        if (settings && step.ok) setProgress(blockProgress(step.number));
        keepPainting();
    };
}

bool TL640MSettingsForm::toldLinkLost(const BlockTransfer& transfer) {
    // Timeouts and refused blocks leave no text; any error of the system means the pipes are broken.
    if (transfer.systemText.empty()) return false;
    tellSystemError(context().dialogs, transfer.systemText);
    return true;
}

void TL640MSettingsForm::dropLostLink() {
    if (context().usb != nullptr) context().usb->release();  // its own errors add nothing now
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
        setStatus(QStringLiteral("Настройки не считаны из прибора: %1.").arg(blocksNotRead(failed)));
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
        setStatus(QStringLiteral("Настройки записаны в прибор не полностью: %1. Повторите запись.")
                      .arg(blocksNotWritten(failed)));
        told.prepend(settingsWriteFailure(failed));
    } else {
        setStatus(QStringLiteral("Настройки записаны в прибор, ") + registrationStatus + QStringLiteral("."));
    }
    tellFailedBlocks(context().dialogs, told);
    if (lost || registrationLost) dropLostLink();
}

}  // namespace livna
