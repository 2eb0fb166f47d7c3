#include "usblink/usb_connect.h"

namespace livna {

namespace {

void reportToUser(UsbConnectWindow& window, DialogService& dialogs, const std::string& text) {
    window.setStatusText(text);
    dialogs.inform(kCaptionDeviceMessage, text, MsgIcon::Error);
}

}  // namespace

ConnectOutcome UsbConnect(UsbPipes& pipes, UsbConnectWindow& window, DialogService& dialogs) {
    if (window.legacyPortChosen()) {
        window.performHandOff();
        return ConnectOutcome::HandedOff;
    }

    int count = 0;
    if (!pipes.UsbCountDevices(count)) {
        reportToUser(window, dialogs, count > 1 ? kTextSeveralPanels : kTextNoPanel);
        return count > 1 ? ConnectOutcome::SeveralPanels : ConnectOutcome::NoPanel;
    }

    window.setStatusText(kTextPanelFound);
    pipes.sleeper().sleepMs(kIdentifyPauseMs);
    window.setStatusText(kTextConnecting);
    window.setProgress(0);

    DeviceInfo info;
    if (pipes.UsbGetDeviceInfo(window.identifyCommand(), info) != UsbResult::Ok) {
        // A panel that does not answer (or answers garbage) is reported, so the installer is not
        // left looking at "Устанавливается связь с прибором ..." for ever.
        reportToUser(window, dialogs, kTextNoAnswer);
        return ConnectOutcome::NoAnswer;
    }

    if (!window.accepts(info)) {
        dialogs.inform(kCaptionDeviceMessage, window.refusalMessage(), MsgIcon::Error);
        window.disconnectAction();
        return ConnectOutcome::Refused;
    }

    window.setStatusText(kTextConnected);
    window.acceptanceAction(info);
    return ConnectOutcome::Accepted;
}

}  // namespace livna
