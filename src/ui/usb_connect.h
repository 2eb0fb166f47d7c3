#pragma once
// The connect procedure that the work windows run from their "Установить связь" button, once the
// window has seen that the direct USB link is chosen. Written once against UsbConnectWindow, which
// each window implements; it tells the installer what happened on the link.
#include <cstdint>
#include <string>

#include "common/dialog_service.h"
#include "usblink/usb_link.h"

namespace livna {

inline constexpr const char* kTextNoPanel = "Приборы марки Ливна отключены от линии USB!";
inline constexpr const char* kTextSeveralPanels =
    "Подключено более одного прибора марки Ливна! Оставьте только один прибор на линии USB!";
inline constexpr const char* kTextPanelFound = "Обнаружен прибор марки Ливна на линии USB!";
inline constexpr const char* kTextConnecting = "Устанавливается связь с прибором ...";
inline constexpr const char* kTextNoAnswer = "Нет ответа от прибора";
inline constexpr const char* kTextConnected = "Связь успешно установлена!";
inline constexpr const char* kTextPanelInUse =
    "Прибор занят другой программой. Закройте её и повторите подключение.";
inline constexpr const char* kTextWrongSystem =
    "Подключенный прибор не соответствует выбранному типу системы!";

/// What UsbConnect needs from a work window.
class UsbConnectWindow {
public:
    virtual ~UsbConnectWindow() = default;
    virtual void setStatusText(const std::string& text) = 0;
    virtual void setProgress(int percent) = 0;
    /// kCmdIdentify for the editors, kCmdIdentifyLoader for the firmware window.
    virtual std::uint8_t identifyCommand() const = 0;
    /// The window's acceptance rule.
    virtual bool accepts(const DeviceInfo& info) const = 0;
    /// Shown when accepts() refused the panel.
    virtual std::string refusalMessage() const = 0;
    /// Resets the window's buttons and labels after a refusal.
    virtual void disconnectAction() = 0;
    /// Labels, buttons and whatever the window does next (the editors read at once). The status
    /// bar already shows kTextConnected.
    virtual void acceptanceAction(const DeviceInfo& info) = 0;
};

enum class ConnectOutcome { NoPanel, SeveralPanels, InUse, NoAnswer, Refused, Accepted };

/// Discovery, the pause, identify, the acceptance rule, and the texts of each outcome; an error of
/// the operating system in discovery or identify is shown in the "Error" box first.
ConnectOutcome UsbConnect(UsbPipes& pipes, UsbConnectWindow& window, DialogService& dialogs);

}  // namespace livna
