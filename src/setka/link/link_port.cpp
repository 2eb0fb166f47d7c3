#include "setka/link/link_port.h"

namespace livna::setka {

std::string openFailureMessage(PortKind kind, int comNumber) {
    if (kind == PortKind::Usb) return "Прибор Л-640 отключен от линии USB.";
    return "Порт COM" + std::to_string(comNumber) + " занят другой программой или не доступен.";
}

}  // namespace livna::setka
