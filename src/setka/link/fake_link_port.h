#pragma once
// A port opener for tests of the windows: it opens ports that carry no bytes, or fails as a
// missing port does, and counts what was asked of it.
#include <utility>
#include <vector>

#include "setka/link/link_ports.h"

namespace livna::setka {

class FakePortOpener {
public:
    bool opens = false;  ///< whether the next opens succeed
    /// Every open asked for: the kind and the COM number given.
    std::vector<std::pair<PortKind, int>> requests;
    int closes = 0;  ///< ports closed, each counted once

    PortOpener opener() {
        return [this](PortKind kind, int comNumber) -> PortOpenResult {
            requests.emplace_back(kind, comNumber);
            if (!opens) return {nullptr, "No such device"};
            ++m_opened;
            return {std::make_unique<Port>(kind, closes), {}};
        };
    }
    /// Ports opened and not closed.
    int openPorts() const { return m_opened - closes; }

private:
    int m_opened = 0;

    class Port : public LinkPort {
    public:
        Port(PortKind kind, int& closes) : m_kind(kind), m_closes(closes) {}
        ~Port() override { close(); }
        PortKind kind() const override { return m_kind; }
        IoOutcome writeByte(std::uint8_t) override { return closed(); }
        ByteRead readByte() override { return {closed()}; }
        IoOutcome writeBlock(std::span<const std::uint8_t, 4>) override { return closed(); }
        BlockRead readBlock(std::span<std::uint8_t, 4>) override { return {closed()}; }
        IoOutcome purge() override { return closed(); }
        void cancel() override {}
        void rearm() override {}
        void close() override {
            if (m_open) ++m_closes;
            m_open = false;
        }
        bool isOpen() const override { return m_open; }

    private:
        static IoOutcome closed() { return {IoStatus::Closed, "no line"}; }
        PortKind m_kind;
        int& m_closes;
        bool m_open = true;
    };
};

}  // namespace livna::setka
