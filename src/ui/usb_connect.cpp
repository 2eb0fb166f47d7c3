#include "ui/usb_connect.h"

#include "ui/link_messages.h"

namespace livna {

namespace {

void reportToUser(UsbConnectWindow& window, DialogService& dialogs, const std::string& text) {
    window.setStatusText(text);
    dialogs.inform(kCaptionDeviceMessage, text, MsgIcon::Error);
}

}  // namespace

ConnectOutcome UsbConnect(UsbPipes& pipes, UsbConnectWindow& window, DialogService& dialogs) {
    int count = 0;
    const bool found = pipes.UsbCountDevices(count);
    tellSystemError(dialogs, pipes.systemText());
    // Only a panel held by another program: saying that none is connected would send the installer
    // looking at the cable.
    if (!found && count == 0 && pipes.devicesInUse() > 0) {
        reportToUser(window, dialogs, kTextPanelInUse);
        return ConnectOutcome::InUse;
    }
    if (!found) {
        reportToUser(window, dialogs, count > 1 ? kTextSeveralPanels : kTextNoPanel);
        return count > 1 ? ConnectOutcome::SeveralPanels : ConnectOutcome::NoPanel;
    }

    window.setStatusText(kTextPanelFound);
    pipes.sleeper().sleepMs(kIdentifyPauseMs);
    window.setStatusText(kTextConnecting);
    window.setProgress(0);

    DeviceInfo info;
    const UsbResult identified = pipes.UsbGetDeviceInfo(window.identifyCommand(), info);
    tellSystemError(dialogs, pipes.systemText());
    if (identified != UsbResult::Ok) {
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
