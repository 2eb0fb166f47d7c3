#pragma once
// The protocols a simulated board speaks. Each link feeds the bytes it receives into one protocol,
// stamped with their arrival time, and sends what the protocol answers.
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "panelsim/panel_board.h"

namespace livna::panelsim {

class PanelProtocol {
public:
    virtual ~PanelProtocol() = default;
    /// Bytes that arrived at timeMs; reply bytes are appended to out.
    virtual void receive(std::span<const std::uint8_t> bytes, double timeMs,
                         std::vector<std::uint8_t>& out) = 0;
};

/// A write whose data phase stalls this long is abandoned, so that a PC that gave up mid-block
/// does not have its next request taken for block data.
inline constexpr double kDataGapResetMs = 500;

/// How the loader judges the pauses of a firmware stream.
enum class PauseCheck {
    EachPause,       ///< every pause on its own: the clock is the PC's own (a recording sleeper's time)
    StreamDuration,  ///< the stream must last the pauses' sum: arrivals over FIFOs come in bunches
    None,            ///< no clock: every arrival at time 0
};

/// The loader's tolerance on a clock that is not the PC's: how late its first arrival may be seen.
inline constexpr double kStreamClockSlackMs = 5;

/// The direct USB protocol: identify (0xAA, 0xA0), block read (0x93), block write (0x94) with CRC
/// checks on what arrives, and the end command. Resynchronises on the 55 55 header after garbage.
///
/// Firmware loader: identify 0xA0 arms it until the end command. Armed, a 55 55 frame whose byte 2
/// is no command starts a firmware stream of count + 7 bytes (count from bytes 4..5); each arrival
/// is recorded ("firmware 8+64": offset and length). A complete stream is answered 55 55, type,
/// status, 00 00, CRC: status 0 when checkFirmwareStream() and the pauses hold, then the board runs
/// the new firmware; else 1, with the reason recorded. Unarmed, a stream is not answered.
class UsbPanelProtocol : public PanelProtocol {
public:
    explicit UsbPanelProtocol(PanelBoard& board, PauseCheck pauses = PauseCheck::StreamDuration)
        : m_board(board), m_pauseCheck(pauses) {}
    void receive(std::span<const std::uint8_t> bytes, double timeMs, std::vector<std::uint8_t>& out) override;

    bool loaderArmed() const { return m_armed; }

private:
    struct Arrival {
        double timeMs = 0;
        std::size_t size = 0;
    };
    void dropRx(std::size_t n);
    void takeStream(std::vector<std::uint8_t>& out);
    void finishStream(std::vector<std::uint8_t>& out);
    void startStream(double timeMs);

    void parseFrames(double timeMs, std::vector<std::uint8_t>& out);
    void takeData(double timeMs, std::vector<std::uint8_t>& out);
    void dispatch(const std::uint8_t* frame, double timeMs, std::vector<std::uint8_t>& out);
    void answerIdentify(std::uint8_t command, double timeMs, std::vector<std::uint8_t>& out);
    void answerRead(int block, double timeMs, std::vector<std::uint8_t>& out);
    void finishWrite(double timeMs, std::vector<std::uint8_t>& out);
    void send(std::span<const std::uint8_t> reply, std::vector<std::uint8_t>& out);
    void noteGarbage(double timeMs);

    PanelBoard& m_board;
    std::vector<std::uint8_t> m_rx;  // bytes not yet parsed
    bool m_inWrite = false;
    int m_writeBlock = 0;
    std::vector<std::uint8_t> m_data;  // data phase of a write
    double m_lastByteMs = 0;
    std::size_t m_garbage = 0;
    std::deque<Arrival> m_rxArrivals;  // how the bytes of m_rx came, in order

    PauseCheck m_pauseCheck;
    bool m_armed = false;
    bool m_inStream = false;
    std::size_t m_streamLength = 0;
    std::vector<std::uint8_t> m_stream;
    double m_streamFirstMs = 0;
    double m_streamLastMs = 0;
    std::string m_pauseFault;  // the first pause the stream skipped
};

}  // namespace livna::panelsim
