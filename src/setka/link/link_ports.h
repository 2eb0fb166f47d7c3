#pragma once
// The ports of the program's LinkContext: the serial port and the Ливна-470 bridge side by side,
// each with the chain of workers that uses it, opened through the opener the program is
// assembled with.
//
// Thread safety: UI thread only; the chains' own threads touch only their port (link_chain.h).
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "setka/editor/link_context.h"
#include "setka/link/link_chain.h"
#include "setka/link/link_port.h"

namespace livna::setka {

/// Opens a port of a kind; comNumber (1..10) names the serial port and is unused for USB.
using PortOpener = std::function<PortOpenResult(PortKind kind, int comNumber)>;

class LinkPorts {
public:
    explicit LinkPorts(PortOpener opener) : m_opener(std::move(opener)) {}
    ~LinkPorts() { shutDown(); }
    LinkPorts(const LinkPorts&) = delete;
    LinkPorts& operator=(const LinkPorts&) = delete;

    /// Opens the port of a kind, closing the one of that kind left open first. False when it did
    /// not open; systemText() then holds the system's reason.
    bool open(PortKind kind, int comNumber);
    /// The open port of a kind, or null.
    LinkPort* port(PortKind kind) const { return m_ports[index(kind)].get(); }
    /// The chain of workers that runs on the port of a kind.
    LinkChain& chain(PortKind kind) { return m_chains[index(kind)]; }
    /// Stops the kind's chain, waits for it, and closes and forgets its port. Idempotent.
    void close(PortKind kind);
    /// The one place the program's link ends: the workers of both kinds are stopped and waited
    /// for, then both ports are closed. Idempotent.
    void shutDown();
    const std::string& systemText() const { return m_systemText; }

private:
    static std::size_t index(PortKind kind) { return kind == PortKind::Com ? 0 : 1; }

    PortOpener m_opener;
    std::array<LinkChain, 2> m_chains;
    std::array<std::unique_ptr<LinkPort>, 2> m_ports;  // declared after the chains: released first
    std::string m_systemText;
};

/// StartLink up to the connect exchange: clears OpenFailed, opens the chosen port of
/// context.ports (one of that kind left open is closed first) and sets OpenFailed when it did not
/// open. True when the port is open. The caller tells the installer openFailureMessage().
bool StartLink(LinkContext& context);

}  // namespace livna::setka
