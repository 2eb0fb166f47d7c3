#include "firmware/changesoftunit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

#include "common/settings_file.h"
#include "common/version_code.h"
#include "firmware/firmware_write.h"
#include "ui/application.h"
#include "ui/file_boxes.h"
#include "ui/link_messages.h"
#include "usblink/block_transfer.h"

namespace livna {

namespace {

constexpr const char* kWindowFolders[] = {"Base_D", "Conf"};

constexpr const char* kGridCaptions[] = {"Тип подключенного устройства: ",
                                         "Текущая версия ПО: ",
                                         "Имя файла обновления: ",
                                         "Тип файла обновления: ",
                                         "Размер файла обновления(байт): ",
                                         "Дата файла обновления: ",
                                         "Новая версия ПО: "};
constexpr int kGridRows = 7;
enum GridRow { RowDevice, RowVersion, RowFileName, RowFileType, RowFileSize, RowFileDate, RowFileVersion };

constexpr const char* kTextRefusedKv = "Подключен не КВ-прибор! ";
constexpr const char* kTextRefusedKvm = "Подключен не КВМ(Д) - прибор! ";
constexpr const char* kTextDisconnected = "Связь с прибором разорвана.";
constexpr const char* kTextBadFormat = "Ошибка: Неверный формат файла!";
constexpr const char* kTextWrongType = "Ошибка: Несовпадение типа устройства! Запись недоступна!";
constexpr const char* kTextReadingFile = "Идет чтение файла ПО. Ждите ...";
constexpr const char* kTextFileRead = "Чтение файла ПО завершено";
constexpr const char* kFamilyQuestion =
    "Внимание!\nТип системы прибора не соответствует типу файла ПО!\nХотите сменить тип системы прибора?";
constexpr const char* kTextUpdated = "ПО успешно загружено в прибор";
constexpr const char* kFirmwareFailureBox =
    "Ошибка: ПО не загружено!\n"
    "Прибор может остаться без работающего ПО. Не отключайте прибор и повторите запись.";
constexpr const char* kTextLinkLost =
    "Нет связи с прибором. Проверьте подключение и установите связь заново.";
constexpr const char* kTextNoFactorySettings = "Невозможно установить заводскую конфигурацию!";
constexpr const char* kTextWritingFactory = "Запись заводских настроек в прибор.";
constexpr const char* kTextFactoryWritten = "Заводские настройки успешно записаны в прибор.";
constexpr const char* kCloseWhileConnected =
    "Внимание!\nПеред закрытием необходимо разорвать связь с прибором!";

/// The loader needs a moment after the reply before the next exchange.
constexpr int kAfterFirmwarePauseMs = 500;

constexpr auto kKvmFactoryBlocks = blocksInPlace(std::array<std::uint8_t, 7>{0, 1, 3, 4, 5, 6, 7});
constexpr auto kKvFactoryBlocks = blocksInPlace(std::array<std::uint8_t, 9>{0, 1, 2, 3, 4, 5, 6, 7, 8});
constexpr std::size_t kKvmImageBlocks = 8;
constexpr std::size_t kKvImageBlocks = 9;

QString firmwareProgressText(int percent) {
    return QString::fromUtf8(kTextFirmwareWriting) + QString::number(percent) + QStringLiteral("%");
}

QString versionString(unsigned code) {
    return QString::fromStdString(versionText(firmwareVersionParts(static_cast<int>(code))));
}

}  // namespace

TChangeSoftForm::TChangeSoftForm(AppContext& ctx, QWidget* parent)
    : TChangeSoftForm(ctx, QCoreApplication::applicationDirPath(), parent) {}

TChangeSoftForm::TChangeSoftForm(AppContext& ctx, const QString& programFolder, QWidget* parent)
    : WorkWindow(ctx, QStringLiteral("ChangeSoftForm"), parent), m_programFolder(programFolder) {
    setWindowTitle(QString::fromUtf8(kWorkWindowCaption));
    // Firmware files come from "Base_D", the factory settings live in "Conf".
    prepareProgramFolder(m_programFolder, kWindowFolders);
    buildControls();
    connect(this, &QDialog::finished, this, [this] { windowClosed(); });
    resize(800, 600);
}

TChangeSoftForm::~TChangeSoftForm() = default;

QString TChangeSoftForm::factoryFilePath(int major) {
    if (major == kKvmFirmwareMajor) return QStringLiteral("Conf/640dkvmdef.cfg");
    if (major == kKvFirmwareMajor) return QStringLiteral("Conf/640dkvdef.cfg");
    return {};
}

// ---- building ------------------------------------------------------------------------------

void TChangeSoftForm::buildControls() {
    auto* outer = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(
        new QLabel(QStringLiteral("Страница обновления программного обеспечения прибора Ливна-640"), page));
    m_grid = mutableNames().add(new QTableWidget(kGridRows, 2, page), QStringLiteral("ChangeSoftStrGrid"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setColumnWidth(0, 220);
    m_grid->setColumnWidth(1, 232);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < kGridRows; ++row) {
        m_grid->setItem(row, 0, new QTableWidgetItem(QString::fromUtf8(kGridCaptions[row])));
        m_grid->setItem(row, 1, new QTableWidgetItem);
    }
    m_grid->setFixedSize(220 + 232 + 2 * m_grid->frameWidth(),
                         m_grid->verticalHeader()->length() + 2 * m_grid->frameWidth());
    pageLayout->addWidget(m_grid);
    pageLayout->addStretch(1);
    m_pages->addTab(page, QStringLiteral("Обновление ПО прибора"));
    outer->addWidget(m_pages, 1);
    outer->addWidget(buildExchangeRow());
    outer->addWidget(furnitureRow());
    createBars(QStringLiteral("MainStatusBar"), QStringLiteral("MainProgressBar"));
    auto* bars = new QHBoxLayout;
    bars->addWidget(statusBar(), 3);
    bars->addWidget(progressBar(), 1);
    outer->addLayout(bars);
}

QWidget* TChangeSoftForm::buildExchangeRow() {
    // One region: while an update runs the busy scope switches it off as a whole.
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* modeGroup = new QGroupBox(QStringLiteral("Режим работы:"), row);
    m_operatingMode = mutableNames().add(new QComboBox(modeGroup), QStringLiteral("OperatingModeCmB"));
    m_operatingMode->addItems({QStringLiteral("демо"), QStringLiteral("on-line")});
    (new QHBoxLayout(modeGroup))->addWidget(m_operatingMode);
    layout->addWidget(modeGroup);

    m_connectButton = createConnectButton(row);
    auto button = [&](const char* caption, const char* name) {
        return mutableNames().add(new QPushButton(QString::fromUtf8(caption), row),
                                  QString::fromLatin1(name));
    };
    m_disconnectButton = button("Разорвать связь", "DisconnectButton");
    m_loadButton = button("Считать из файла", "LoadBitBtn");
    m_writeButton = button("Записать в прибор ", "WriteButton");
    for (QPushButton* b : {m_connectButton, m_disconnectButton, m_loadButton, m_writeButton}) {
        b->setAutoDefault(false);
        layout->addWidget(b);
    }
    layout->addStretch(1);

    connect(m_operatingMode, &QComboBox::activated, this,
            [this](int index) { OperatingModeCmBSelect(index); });
    connect(m_connectButton, &QPushButton::clicked, this, [this] { ConnectButtonClick(); });
    connect(m_disconnectButton, &QPushButton::clicked, this, [this] { DisconnectButtonClick(); });
    connect(m_loadButton, &QPushButton::clicked, this, [this] { LoadBitBtnClick(); });
    connect(m_writeButton, &QPushButton::clicked, this, [this] { WriteButtonClick(); });
    return row;
}

void TChangeSoftForm::setGridValue(int row, const QString& value) {
    m_grid->item(row, 1)->setText(value);
}

// ---- state ---------------------------------------------------------------------------------

void TChangeSoftForm::showEvent(QShowEvent* event) {
    WorkWindow::showEvent(event);
    // A window restored from the task bar is not opened again: only a real showing starts over.
    if (!event->spontaneous()) FormShow();
}

void TChangeSoftForm::FormShow() {
    QDir::setCurrent(m_programFolder);
    m_pages->setCurrentIndex(0);
    m_operatingMode->setCurrentIndex(0);  // "демо"
    OperatingModeCmBSelect(0);
    showConnected(false);
}

bool TChangeSoftForm::demo() const {
    return m_operatingMode->currentIndex() != 1;
}

void TChangeSoftForm::OperatingModeCmBSelect(int index) {
    const bool online = index == 1;
    m_connectButton->setEnabled(online && !m_connected);
    m_loadButton->setEnabled(!online || m_connected);
    updateWriteButton();
}

void TChangeSoftForm::showConnected(bool connected) {
    m_connected = connected;
    // The mode cannot change under a connected panel: a file loaded unchecked in demo mode could
    // otherwise be written.
    m_operatingMode->setEnabled(!connected);
    m_connectButton->setEnabled(!connected && !demo());
    m_disconnectButton->setEnabled(connected);
    m_loadButton->setEnabled(connected || demo());
    if (!connected) m_imageChecked = false;
    updateWriteButton();
}

void TChangeSoftForm::updateWriteButton() {
    m_writeButton->setEnabled(m_connected && !demo() && m_image.has_value() && m_imageChecked);
}

void TChangeSoftForm::reject() {
    if (busy()) return;  // the update runs to its end
    if (m_connected) {
        context().dialogs.inform(kCaptionSystemMessage, kCloseWhileConnected, MsgIcon::Warning);
        return;
    }
    WorkWindow::reject();
}

void TChangeSoftForm::windowClosed() {
    // The window holds no link once closed; the next window starts with a fresh discovery.
    if (context().usb != nullptr) {
        context().usb->release();
        tellSystemError(context().dialogs, context().usb->systemText());
    }
}

// ---- connect and disconnect ----------------------------------------------------------------

void TChangeSoftForm::ConnectButtonClick() {
    connectOverUsb(*this);
}

void TChangeSoftForm::setStatusText(const std::string& text) {
    setStatusNow(text);
}

std::uint8_t TChangeSoftForm::identifyCommand() const {
    return kCmdIdentifyLoader;
}

bool TChangeSoftForm::accepts(const DeviceInfo& info) const {
    const int major = firmwareVersionParts(static_cast<int>(info.versionCode)).major;
    const int wanted = context().state.SystemType == SystemType::Kv ? kKvFirmwareMajor : kKvmFirmwareMajor;
    // Board d takes either family's firmware, so it is accepted whatever it runs now.
    return major == wanted || info.typeCode == kTypeBoardD;
}

std::string TChangeSoftForm::refusalMessage() const {
    return context().state.SystemType == SystemType::Kv ? kTextRefusedKv : kTextRefusedKvm;
}

void TChangeSoftForm::disconnectAction() {
    DisconnectButtonClick();
}

void TChangeSoftForm::acceptanceAction(const DeviceInfo& info) {
    m_panel = info;
    setGridValue(RowDevice, QString::fromUtf8(kBoardDName));
    setGridValue(RowVersion, versionString(info.versionCode));
    showConnected(true);
}

void TChangeSoftForm::DisconnectButtonClick() {
    showConnected(false);
    for (int row = 0; row < kGridRows; ++row) setGridValue(row, QString());
    if (UsbPipes* usb = context().usb) {
        usb->UsbSendEnd();  // its result does not matter: the window is disconnected either way
        tellSystemError(context().dialogs, usb->systemText());
    }
    setStatus(QString::fromUtf8(kTextDisconnected));
}

void TChangeSoftForm::dropLostLink() {
    if (context().usb != nullptr) context().usb->release();  // its own errors add nothing now
    showConnected(false);
    for (int row = 0; row < kGridRows; ++row) setGridValue(row, QString());
}

// ---- load ----------------------------------------------------------------------------------

bool TChangeSoftForm::LoadBitBtnClick() {
    const auto chosen =
        context().dialogs.openFile({"Чтение файла ПО", "Файлы ПО (*.tsk)|*.tsk", 1, "tsk", "Base_D", ""});
    if (!chosen) return false;
    const QString path = QString::fromStdString(*chosen);
    auto refuse = [&](const QString& text) {
        setStatus(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        showFileError(context().dialogs, text);
        return false;
    };

    // Read in one go: even the largest file takes a few milliseconds.
    const FileText file = readFileText(pathFromUtf8(*chosen));
    if (file.error) return refuse(QString::fromStdString(describe(*file.error)));
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(file.text.data()), file.text.size());

    const std::optional<unsigned> panelType =
        demo() ? std::nullopt : std::optional<unsigned>(m_connected ? m_panel.typeCode : 0);
    FirmwareImage image;
    switch (checkTskFile(bytes, panelType, image)) {
        case TskCheck::BadSignature:
            return refuse(QString::fromUtf8(kTextBadFormat));
        case TskCheck::BadLength:
            // Only whole packets reach the panel: a file of another length cannot be written whole.
            return refuse(QStringLiteral("%1\nДлина файла %2 байт, файл ПО должен иметь длину %3.")
                              .arg(QString::fromUtf8(kTextBadFormat))
                              .arg(bytes.size())
                              .arg(QString::fromUtf8(kTskLengthRuleText)));
        case TskCheck::WrongType:
            return refuse(QString::fromUtf8(kTextWrongType));
        case TskCheck::Ok:
            break;
    }

    const QFileInfo info(path);
    setGridValue(RowFileName, info.fileName());
    setGridValue(RowFileType, QString::fromStdString(tskTypeLabel(image.typeCode, image.versionCode)));
    setGridValue(RowFileSize, QString::number(bytes.size()));
    setGridValue(RowFileDate, QLocale::system().toString(info.lastModified().date(), QLocale::ShortFormat));
    setGridValue(RowFileVersion, versionString(image.versionCode));
    setStatus(QString::fromUtf8(kTextReadingFile));
    m_image = std::move(image);
    m_imageChecked = !demo();
    setStatus(QString::fromUtf8(kTextFileRead));
    setProgress(0);
    updateWriteButton();
    return true;
}

// ---- update --------------------------------------------------------------------------------

void TChangeSoftForm::WriteButtonClick() {
    UsbPipes* usb = context().usb;
    if (usb == nullptr || !m_image) return;  // Write is enabled only with both
    const int panelMajor = firmwareVersionParts(static_cast<int>(m_panel.versionCode)).major;
    const int fileMajor = firmwareVersionParts(static_cast<int>(m_image->versionCode)).major;
    if (panelMajor != fileMajor &&
        context().dialogs.message({kCaptionDeviceMessage, kFamilyQuestion, MsgIcon::Warning,
                                   MsgButtons::YesNo, MsgAnswer::No}) != MsgAnswer::Yes)
        return;

    // Busy over the whole update, factory settings included: nothing may cut the firmware short.
    const ExchangeScope scope = exchangeScope();
    const bool written = writeFirmwareImage(*m_image);
    usb->sleeper().sleepMs(kAfterFirmwarePauseMs);
    if (!written) return;

    context().dialogs.inform(kCaptionDeviceMessage, kTextUpdated, MsgIcon::Information);
    const unsigned version = m_image->versionCode;
    DisconnectButtonClick();
    m_image.reset();
    writeFactorySettings(fileMajor, version);
}

bool TChangeSoftForm::writeFirmwareImage(const FirmwareImage& image) {
    setProgress(0);
    setStatus(firmwareProgressText(0));
    keepPainting();
    const FirmwareWriteOutcome outcome = writeFirmware(*context().usb, image.bytes, [this](int percent) {
        setProgress(percent);
        setStatus(firmwareProgressText(percent));
        keepPainting();
    });
    setProgress(0);
    if (outcome.ok()) {
        setStatus(QString::fromUtf8(kTextFirmwareWritten));
        return true;
    }
    setStatus(QString::fromUtf8(kTextFirmwareFailed));
    tellSystemError(context().dialogs, outcome.systemText);
    context().dialogs.inform(kCaptionDeviceMessage, kFirmwareFailureBox, MsgIcon::Error);
    // A refused or unanswered write leaves the connection and the file for another attempt; a
    // broken link must be connected again first.
    if (!outcome.systemText.empty()) {
        dropLostLink();
        setStatus(QString::fromUtf8(kTextFirmwareFailed) + QLatin1Char(' ') +
                  QString::fromUtf8(kTextLinkLost));
    }
    return false;
}

void TChangeSoftForm::writeFactorySettings(int major, unsigned versionCode) {
    const QString path = factoryFilePath(major);
    if (path.isEmpty()) return;  // no factory settings for another family
    const bool kvm = major == kKvmFirmwareMajor;
    const std::size_t size = (kvm ? kKvmImageBlocks : kKvImageBlocks) * kBlockSize;
    const ImageResult file = readSettingsFile(pathFromUtf8(path.toStdString()), size);
    if (!file.ok()) {
        showFileError(context().dialogs, QString::fromStdString(describe(*file.error)));
        return;
    }
    // The images the editors build carry 170 and the firmware's version in their first values.
    SettingsImage image = file.image;
    image[0] = kImageMarker;
    image[1] = static_cast<std::int32_t>(versionCode);
    m_factory = image;

    UsbPipes& usb = *context().usb;
    DeviceInfo info;
    const UsbResult identified = usb.UsbGetDeviceInfo(kCmdIdentify, info);
    tellSystemError(context().dialogs, usb.systemText());
    if (identified != UsbResult::Ok) {
        setStatus(QString::fromUtf8(kTextNoFactorySettings));
        context().dialogs.inform(kCaptionDeviceMessage, kTextNoFactorySettings, MsgIcon::Warning);
        return;
    }
    m_panel = info;

    setStatus(QString::fromUtf8(kTextWritingFactory));
    keepPainting();
    const int blocks = static_cast<int>(kvm ? kKvmImageBlocks : kKvImageBlocks);
    const std::span<const BlockPlace> places =
        kvm ? std::span<const BlockPlace>(kKvmFactoryBlocks) : std::span<const BlockPlace>(kKvFactoryBlocks);
    const BlockTransfer transfer = writeBlocks(usb, places, image, [this, blocks](const BlockStep& step) {
        setProgress((step.number + 1) * 100 / blocks);
        keepPainting();
    });
    tellSystemError(context().dialogs, transfer.systemText);
    if (!transfer.ok()) {
        // The defaults file stays as it was: it must not claim what the panel does not hold.
        setProgress(0);
        setStatus(QStringLiteral("Заводские настройки записаны в прибор не полностью: %1.")
                      .arg(blocksNotWritten(transfer.failed)));
        context().dialogs.inform(
            kCaptionDeviceMessage,
            QStringLiteral("Не удалось записать в прибор %1 заводских настроек.\n"
                           "Установите связь и запишите настройки в окне настройки прибора.")
                .arg(blocksPhrase(transfer.failed))
                .toStdString(),
            MsgIcon::Error);
        return;
    }
    setProgress(100);
    setStatus(QString::fromUtf8(kTextFactoryWritten));
    if (const auto error = writeSettingsFile(pathFromUtf8(path.toStdString()), image))
        showFileError(context().dialogs, QString::fromStdString(describe(*error)));
    setProgress(0);
}

}  // namespace livna
