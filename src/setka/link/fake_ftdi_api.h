#pragma once
// A Ливна-470 bridge on virtual time: a 256-byte transmit buffer drained onto the line at 1200
// baud, the panel's answers crossing back at the same rate, no echo (the bridge does not return
// what it sends). Each D2XX call can be made to return a given status once; the bridge can be
// plugged and unplugged.
//
// Thread safety: none; one thread at a time (the tests run the worker on their own thread).
#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "setka/link/ftdi_api.h"
#include "usblink/usb_platform.h"

namespace livna::setka {

class FakeFtdiApi : public FtdiApi {
public:
    /// The panel behind the line: bytes that finished crossing at timeMs, answers appended to out.
    using Peer =
        std::function<void(std::span<const std::uint8_t>, double timeMs, std::vector<std::uint8_t>& out)>;
    enum class Call {
        Open,
        Close,
        Read,
        Write,
        ResetDevice,
        SetBaudRate,
        SetDataCharacteristics,
        Purge,
        SetTimeouts
    };
    static constexpr std::size_t kBufferBytes = 256;
    static constexpr double kByteTimeMs = 10.0 * 1000.0 / 1200.0;

    FakeFtdiApi(RecordingSleeper& clock, Peer peer) : m_clock(clock), m_peer(std::move(peer)) {}

    void plug() { m_plugged = true; }
    void unplug() { m_plugged = false; }
    /// The next call of this kind returns status instead of doing anything.
    void failNext(Call call, FtStatus status) { m_failNext[static_cast<std::size_t>(call)] = status; }

    int opens() const { return m_opens; }
    int closes() const { return m_closes; }
    /// FT_Close of a handle that was not open (never opened, or closed already).
    int strayCloses() const { return m_strayCloses; }
    unsigned baudRate() const { return m_baud; }
    /// Bytes that left the bridge onto the line, in order.
    const std::vector<std::uint8_t>& sent() const { return m_sent; }

    FtStatus open(int deviceNumber, FtHandle* handle) override;
    FtStatus close(FtHandle handle) override;
    FtStatus read(FtHandle handle, std::uint8_t* buffer, unsigned n, unsigned* got) override;
    FtStatus write(FtHandle handle, const std::uint8_t* buffer, unsigned n, unsigned* written) override;
    FtStatus resetDevice(FtHandle handle) override;
    FtStatus setBaudRate(FtHandle handle, unsigned baud) override;
    FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override;
    FtStatus purge(FtHandle handle, unsigned mask) override;
    FtStatus setTimeouts(FtHandle handle, unsigned readMs, unsigned writeMs) override;

private:
    struct Timed {
        double atMs;
        std::uint8_t byte;
    };
    std::optional<FtStatus> refusal(Call call, FtHandle handle);
    void deliver();
    void advanceTo(double ms);

    static constexpr FtHandle kHandle = 0x470;
    RecordingSleeper& m_clock;
    Peer m_peer;
    bool m_plugged = true;
    bool m_open = false;
    std::array<std::optional<FtStatus>, 9> m_failNext{};
    int m_opens = 0;
    int m_closes = 0;
    int m_strayCloses = 0;
    unsigned m_baud = 0;
    unsigned m_readTimeoutMs = 0;
    unsigned m_writeTimeoutMs = 0;
    std::deque<Timed> m_tx;  // in the buffer: when each byte will have crossed
    std::deque<Timed> m_rx;  // from the panel: when each byte will have arrived
    double m_txLineFree = 0;
    double m_rxLineFree = 0;
    std::vector<std::uint8_t> m_sent;
};

}  // namespace livna::setka
