#pragma once
// The firmware-update window: connect to the panel's loader, load a ".tsk" file and check it
// against the panel, write it, and then write the factory settings of the firmware's family.
//
// The whole update (the firmware, the pause, the factory settings) runs on this thread with the
// window busy: every control is off and the window cannot close, so nothing can cut a firmware
// write short. The progress is painted each time its percentage changes.
#include <QString>

#include <optional>

#include "common/settings_image.h"
#include "common/tsk_file.h"
#include "ui/usb_connect.h"
#include "workwindow/work_window.h"

class QComboBox;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace livna {

inline constexpr const char* kTextFirmwareWriting = "Запись ПО в прибор...";
inline constexpr const char* kTextFirmwareWritten = "ПО загружено успешно";
inline constexpr const char* kTextFirmwareFailed = "Ошибка: ПО не загружено!";

class TChangeSoftForm : public WorkWindow, public UsbConnectWindow {
    Q_OBJECT
public:
    /// The program folder is the application's folder.
    explicit TChangeSoftForm(AppContext& ctx, QWidget* parent = nullptr);
    /// The same with the program folder given (tests work in a folder of their own). The window
    /// makes that folder current and creates "Base_D" and "Conf" in it when missing.
    TChangeSoftForm(AppContext& ctx, const QString& programFolder, QWidget* parent = nullptr);
    ~TChangeSoftForm() override;

    /// What showing the window does: the update page, demo mode, Connect, Write and Disconnect off.
    void FormShow();
    /// OperatingModeCmB picked: 0 = "демо", 1 = "on-line".
    void OperatingModeCmBSelect(int index);
    /// UsbConnect with the loader's identify; Load and Disconnect on acceptance.
    void ConnectButtonClick();
    /// Resets the window, empties the grid's values and sends the end command.
    void DisconnectButtonClick();
    /// Load: the file dialog, the checks and the grid rows 2..6. True when a file was accepted.
    bool LoadBitBtnClick();
    /// Update: the change-of-family question, the firmware, and the factory settings.
    void WriteButtonClick();

    /// The accepted firmware file; none before a Load and after an update.
    const std::optional<FirmwareImage>& firmwareImage() const { return m_image; }
    /// The factory image the last update wrote (or tried to), with 170 and the version in values
    /// 0 and 1 (the hidden list `tmpListB` after an update).
    const std::optional<SettingsImage>& factoryImage() const { return m_factory; }
    /// Device type and version code of the connected panel (from the last identify).
    const DeviceInfo& panel() const { return m_panel; }
    bool connected() const { return m_connected; }
    QString programFolder() const { return m_programFolder; }
    /// Relative path of the factory-default file of a firmware family (major 3 or 5); empty for
    /// any other.
    static QString factoryFilePath(int major);

    // UsbConnectWindow
    void setStatusText(const std::string& text) override;
    void setProgress(int percent) override { WorkWindow::setProgress(percent); }
    std::uint8_t identifyCommand() const override;
    bool accepts(const DeviceInfo& info) const override;
    std::string refusalMessage() const override;
    void disconnectAction() override;
    void acceptanceAction(const DeviceInfo& info) override;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;  // refused while a panel is connected

private:
    void buildControls();
    QWidget* buildExchangeRow();
    void setGridValue(int row, const QString& value);
    /// Connected state of the buttons: Write only with a file checked against the connected panel.
    void showConnected(bool connected);
    void updateWriteButton();
    bool demo() const;
    /// The panel is gone (an error of the system): the link is released and the window shows
    /// itself disconnected; the next step is a fresh connect.
    void dropLostLink();
    /// The firmware write; true when the panel took it.
    bool writeFirmwareImage(const FirmwareImage& image);
    /// The factory settings of the family of the firmware just written (major 3 or 5).
    void writeFactorySettings(int major, unsigned versionCode);
    void windowClosed();

    QString m_programFolder;
    DeviceInfo m_panel;
    bool m_connected = false;
    std::optional<FirmwareImage> m_image;
    bool m_imageChecked = false;  ///< the image passed Load's checks against the connected panel
    std::optional<SettingsImage> m_factory;

    QTabWidget* m_pages = nullptr;
    QTableWidget* m_grid = nullptr;
    QComboBox* m_operatingMode = nullptr;
    QPushButton* m_connectButton = nullptr;
    QPushButton* m_disconnectButton = nullptr;
    QPushButton* m_writeButton = nullptr;
    QPushButton* m_loadButton = nullptr;
};

}  // namespace livna
