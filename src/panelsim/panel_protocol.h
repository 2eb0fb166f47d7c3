#pragma once
// The protocols a simulated board speaks. Each link feeds the bytes it receives into one protocol,
// stamped with their arrival time, and sends what the protocol answers.
#include <cstdint>
#include <span>
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

/// The direct USB protocol: identify (0xAA, 0xA0), block read (0x93), block write (0x94) with CRC
/// checks on what arrives, and the end command. Resynchronises on the 55 55 header after garbage.
class UsbPanelProtocol : public PanelProtocol {
public:
    explicit UsbPanelProtocol(PanelBoard& board) : m_board(board) {}
    void receive(std::span<const std::uint8_t> bytes, double timeMs, std::vector<std::uint8_t>& out) override;

private:
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
};

}  // namespace livna::panelsim
