#include "setka/link/link_ports.h"

namespace livna::setka {

bool LinkPorts::open(PortKind kind, int comNumber) {
    close(kind);
    PortOpenResult result = m_opener(kind, comNumber);
    m_systemText = std::move(result.systemText);
    m_ports[index(kind)] = std::move(result.port);
    return port(kind) != nullptr;
}

void LinkPorts::close(PortKind kind) {
    // A chain's thread may be inside a call on the port: it ends before the port goes.
    m_chains[index(kind)].stop();
    if (auto& port = m_ports[index(kind)]) {
        port->close();
        port.reset();
    }
}

void LinkPorts::shutDown() {
    for (PortKind kind : {PortKind::Com, PortKind::Usb}) close(kind);
}

bool StartLink(LinkContext& context) {
    context.openFailed = false;
    if (context.ports == nullptr || !context.ports->open(context.portKind, context.portNumber)) {
        context.openFailed = true;
        return false;
    }
    return true;
}

}  // namespace livna::setka
