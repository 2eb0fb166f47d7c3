#include "workwindow/editor_link.h"

#include <QLabel>
#include <QPushButton>

#include "common/version_code.h"
#include "ui/link_messages.h"

namespace livna {

void SettingsEditorConnect::setStatusText(const std::string& text) {
    m_window.setStatusNow(text);
}

std::uint8_t SettingsEditorConnect::identifyCommand() const {
    return kCmdIdentify;
}

std::string SettingsEditorConnect::refusalMessage() const {
    return kTextWrongSystem;
}

bool acceptsFirmwareFamily(const DeviceInfo& info, int major) {
    return editorVersionParts(static_cast<int>(info.versionCode)).major == major;
}

void setConnectedButtons(QPushButton* connect, std::initializer_list<QPushButton*> on, bool connected) {
    connect->setEnabled(!connected);
    for (QPushButton* b : on) b->setEnabled(connected);
}

void showPanelLabels(QLabel* type, QLabel* version, int versionCode) {
    type->setText(QString::fromUtf8(kBoardDName));
    version->setText(QString::fromStdString(versionText(editorVersionParts(versionCode))));
}

BlockProgress settingsBlockShown(WorkWindow& window, int blocks) {
    // The system's text is told once per transfer, not once per block.
    return [&window, blocks](const BlockStep& step) {
        if (step.ok) window.setProgress(settingsBlockProgress(step.number, blocks));
        keepPainting();
    };
}

void releaseEditorLink(WorkWindow& window, std::initializer_list<QPushButton*> linked, QLabel* type,
                       QLabel* version) {
    if (UsbPipes* usb = window.context().usb) {
        usb->release();
        tellSystemError(window.context().dialogs, usb->systemText());
    }
    for (QPushButton* b : linked) b->setEnabled(false);
    type->clear();
    version->clear();
}

void releaseLostLink(WorkWindow& window) {
    if (UsbPipes* usb = window.context().usb) usb->release();
}

}  // namespace livna
