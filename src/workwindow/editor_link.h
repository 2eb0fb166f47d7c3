#pragma once
// What the two settings editors do alike on the direct USB link: their answers to UsbConnect, the
// buttons of the connected and disconnected states, the bars during a block transfer, and the
// release of the link.
#include <initializer_list>
#include <string>

#include "ui/usb_connect.h"
#include "usblink/block_transfer.h"
#include "workwindow/work_window.h"

class QLabel;
class QPushButton;

namespace livna {

/// What a settings editor answers UsbConnect alike: the status shown at once, identify command
/// 0xAA, and the refusal of a panel of another system. The editor adds its acceptance rule and
/// what follows acceptance and refusal.
class SettingsEditorConnect : public UsbConnectWindow {
public:
    explicit SettingsEditorConnect(WorkWindow& window) : m_window(window) {}
    void setStatusText(const std::string& text) override;
    std::uint8_t identifyCommand() const override;
    std::string refusalMessage() const override;

private:
    WorkWindow& m_window;
};

/// A panel of this firmware family (the type code is not examined).
bool acceptsFirmwareFamily(const DeviceInfo& info, int major);

/// Connect off, every button of `on` on; or the other way round.
void setConnectedButtons(QPushButton* connect, std::initializer_list<QPushButton*> on, bool connected);
/// The labels after an accepted identify: "Ливна-640, плата d" and the version as "%d.%d".
void showPanelLabels(QLabel* type, QLabel* version, int versionCode);

/// After each block of a settings transfer of `blocks` blocks: the progress of a block that came
/// through, and a repaint.
BlockProgress settingsBlockShown(WorkWindow& window, int blocks);

/// The window closed: the link is released (an error of the system told) and the buttons that
/// would use it are switched off, so a reopened window offers nothing on released pipes.
void releaseEditorLink(WorkWindow& window, std::initializer_list<QPushButton*> linked, QLabel* type,
                       QLabel* version);
/// After an error of the system broke the link: released without a word (its own errors add
/// nothing now); the caller shows itself disconnected and says kTextLinkLost.
void releaseLostLink(WorkWindow& window);

}  // namespace livna
