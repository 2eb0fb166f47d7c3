#pragma once
// The byte protocol of the earlier-generation configurator, played by a board: connect, the
// four data requests with CRC-8, their data frames, acknowledgements and status bytes, and the
// firmware loader. Settings live in blocks 0..3 of the board, codes in blocks 4..10. The echo and
// the pacing of the serial line are the line's (pty_publisher.h, memory_serial_line.h), not the
// protocol's.
//
// The loader: 55 55 A0 AA is answered like a connect (55 55, type, CRC-8); once acknowledged the
// next bytes are a firmware stream of count + 7 bytes (count from stream bytes 4..5), judged by
// checkFirmwareStream() and by the pause after every 8th byte, and answered with one status byte,
// 0 (loaded) or 1. A loaded stream leaves both areas reading 0xFF except value 1 of the settings,
// the stream's version code. The board's FirmwareRefused and FirmwareSilent faults act on it.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "panelsim/panel_board.h"
#include "panelsim/panel_protocol.h"

namespace livna::panelsim {

inline constexpr unsigned kSetkaDefaultType = 9;
inline constexpr unsigned kSetkaDefaultVersion = 32;
inline constexpr std::size_t kSetkaSettingsFirstBlock = 0;
inline constexpr std::size_t kSetkaCodesFirstBlock = 4;
inline constexpr std::size_t kSetkaCodesLastBlock = 10;

/// Faults of the setka protocol (see parseSetkaFault for their written forms). A silence after
/// N bytes is the board's SilentAfter fault, shared with the USB protocol.
struct SetkaFaults {
    bool crcConnect = false;   ///< connect replies carry a wrong CRC
    bool crcSettings = false;  ///< settings frames carry a wrong CRC
    bool crcCodes = false;     ///< codes frames carry a wrong CRC
    std::vector<int> refused;  ///< requests (0x91..0x94) answered with a refusal instead of 0x00
    bool writeSettingsRefused = false;
    bool writeCodesRefused = false;
    int answerFrom = 1;                   ///< the first connect attempt answered
    bool header0 = false;                 ///< connect replies with only byte 1 = 0x55
    std::optional<std::size_t> echoStop;  ///< the line echoes this many PC bytes, then no more
    bool loaderSilent = false;            ///< loader requests go unanswered
    bool loaderType = false;              ///< loader replies name the other device type
};

/// The pause the loader needs after every 8th firmware byte, in ms, and how much earlier than
/// that it still takes the next byte (arrival times are rounded by the line).
inline constexpr double kSetkaFirmwarePauseMs = 5;
inline constexpr double kSetkaFirmwarePauseSlackMs = 0.5;
/// How long the loader waits for its acknowledgement, and then for the stream, before it gives up.
inline constexpr double kSetkaLoaderIdleMs = 10000;

/// Fills the board as a setka panel of versionCode: the factory images of the variant the
/// version's major number names (variant 1's when it names none), value 1 = versionCode.
void seedSetkaBoard(PanelBoard& board, unsigned versionCode);

class SetkaPanelProtocol : public PanelProtocol {
public:
    SetkaPanelProtocol(PanelBoard& board, SetkaFaults faults = {})
        : m_board(board), m_faults(std::move(faults)) {}
    void receive(std::span<const std::uint8_t> bytes, double timeMs, std::vector<std::uint8_t>& out) override;

    const SetkaFaults& faults() const { return m_faults; }

private:
    enum class State { Request, Acknowledge, Frame, LoaderAcknowledge, Firmware };
    void request(double timeMs, std::vector<std::uint8_t>& out);
    void finishFrame(double timeMs, std::vector<std::uint8_t>& out);
    double resetGapMs() const;
    void loaderRequest(double timeMs, std::vector<std::uint8_t>& out);
    void firmwareByte(std::uint8_t b, double timeMs, std::vector<std::uint8_t>& out);
    void finishFirmware(double timeMs, std::vector<std::uint8_t>& out);
    void send(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out);
    std::size_t firstBlock(std::uint8_t command) const;
    std::size_t areaBytes(std::uint8_t command, int configByte) const;

    PanelBoard& m_board;
    SetkaFaults m_faults;
    State m_state = State::Request;
    std::vector<std::uint8_t> m_rx;  // request bytes, or the frame being written
    std::uint8_t m_command = 0;
    int m_configByte = 0;
    std::size_t m_frameBytes = 0;
    int m_connects = 0;
    double m_lastByteMs = 0;
    std::size_t m_streamLength = 0;  // count + 7, once bytes 4..5 arrived
    std::string m_pauseFault;        // the first missing pause of the stream
};

}  // namespace livna::panelsim
