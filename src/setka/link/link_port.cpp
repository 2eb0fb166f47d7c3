#include "setka/link/link_port.h"

#include "setka/link/ftdi_port.h"
#include "setka/link/serial_port.h"

namespace livna::setka {

std::string openFailureMessage(PortKind kind, int comNumber) {
    if (kind == PortKind::Usb) return "Прибор Л-640 отключен от линии USB.";
    return "Порт COM" + std::to_string(comNumber) + " занят другой программой или не доступен.";
}

PortOpenResult openLinkPort(PortKind kind, int comNumber, const PortBackends& backends) {
    if (kind == PortKind::Usb) {
        if (backends.ftdi == nullptr) return {nullptr, ftStatusText(FT_DEVICE_NOT_FOUND)};
        return openFtdiPort(*backends.ftdi);
    }
    SystemSleeper realPause;
    return openSerialPort(backends.comRoot, comNumber,
                          backends.sleeper != nullptr ? *backends.sleeper : realPause);
}

}  // namespace livna::setka
