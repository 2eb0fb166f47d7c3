#pragma once
// A serial line inside the test process, on virtual time: the PC's LinkPort at one end, a
// board's protocol at the other. The line echoes each PC byte once (until an echo-stop fault
// cuts it), hands the byte to the protocol and queues its answer. A read that finds nothing
// moves the virtual clock on by the port's time-out instead of waiting.
//
//     livna::RecordingSleeper clock;
//     livna::panelsim::PanelBoard board(config);
//     livna::panelsim::SetkaPanelProtocol protocol(board);
//     livna::panelsim::MemorySerialLine line(protocol, clock);
//     runChain(line, clock, sink, {}, request);
#include <atomic>
#include <deque>
#include <optional>

#include "panelsim/panel_protocol.h"
#include "setka/link/link_port.h"
#include "usblink/usb_platform.h"

namespace livna::panelsim {

class MemorySerialLine : public setka::LinkPort {
public:
    MemorySerialLine(PanelProtocol& panel, RecordingSleeper& clock, std::optional<std::size_t> echoStop = {})
        : m_panel(panel), m_clock(clock), m_echoLeft(echoStop) {}

    setka::PortKind kind() const override { return setka::PortKind::Com; }
    IoOutcome writeByte(std::uint8_t byte) override;
    setka::ByteRead readByte() override;
    IoOutcome writeBlock(std::span<const std::uint8_t, 4> bytes) override;
    setka::BlockRead readBlock(std::span<std::uint8_t, 4> bytes) override;
    IoOutcome purge() override;
    void cancel() override { m_cancelled = true; }
    void rearm() override { m_cancelled = false; }
    void close() override { m_closed = true; }
    bool isOpen() const override { return !m_closed; }

    /// Makes the next write fail as a port whose device went away would.
    void failWrites(bool fail) { m_failWrites = fail; }
    /// Bytes the PC wrote, in order.
    const std::vector<std::uint8_t>& written() const { return m_written; }
    /// Bytes the PC discarded with a purge.
    std::size_t purgedBytes() const { return m_purged; }

private:
    std::optional<IoOutcome> refusal() const;
    IoOutcome write(std::span<const std::uint8_t> bytes);
    void send(std::span<const std::uint8_t> bytes);

    PanelProtocol& m_panel;
    RecordingSleeper& m_clock;
    std::optional<std::size_t> m_echoLeft;
    std::deque<std::uint8_t> m_toPc;
    std::vector<std::uint8_t> m_written;
    std::size_t m_purged = 0;
    bool m_failWrites = false;
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_closed{false};
};

}  // namespace livna::panelsim
