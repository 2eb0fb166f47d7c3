#include "panelsim/panel_protocol.h"

#include <cstdio>
#include <string>

#include "common/tsk_file.h"
#include "panelsim/tsk_maker.h"
#include "usblink/usb_frames.h"

namespace livna::panelsim {

namespace {

std::string hex(std::uint8_t b) {
    char s[4];
    std::snprintf(s, sizeof s, "%02X", b);
    return s;
}

bool isCommand(std::uint8_t b) {
    return b == kCmdIdentify || b == kCmdIdentifyLoader || b == kCmdReadBlock || b == kCmdWriteBlock;
}

/// What the loader needs to store data: a pause after every fourth packet, and one between the final
/// two bytes.
constexpr int kLoaderPauseMs = 10;

/// The pause the PC owes before byte o of an n-byte stream.
int pauseBefore(std::size_t o, std::size_t n) {
    constexpr std::size_t kGroup = 4 * kTskPacketSize;
    if (o + 1 == n) return kLoaderPauseMs;
    if (o > kTskHeaderSize && o + 2 <= n && (o - kTskHeaderSize) % kGroup == 0) return kLoaderPauseMs;
    return 0;
}

}  // namespace

void UsbPanelProtocol::receive(std::span<const std::uint8_t> bytes, double timeMs,
                               std::vector<std::uint8_t>& out) {
    if (bytes.empty()) return;
    if (m_inWrite && timeMs - m_lastByteMs > kDataGapResetMs) {
        m_board.record(timeMs, "write " + std::to_string(m_writeBlock) + " abandoned");
        m_inWrite = false;
        m_data.clear();
    }
    if (m_inStream && timeMs - m_streamLastMs > kDataGapResetMs) {
        m_board.record(timeMs, "firmware dropped after " + std::to_string(m_stream.size()));
        m_inStream = false;
        m_stream.clear();
    }
    m_lastByteMs = timeMs;
    m_rx.insert(m_rx.end(), bytes.begin(), bytes.end());
    m_rxArrivals.push_back({timeMs, bytes.size()});
    for (;;) {
        const std::size_t before = m_rx.size();
        const bool wasInWrite = m_inWrite;
        const bool wasInStream = m_inStream;
        if (m_inStream)
            takeStream(out);
        else if (m_inWrite)
            takeData(timeMs, out);
        else
            parseFrames(timeMs, out);
        if (m_rx.size() == before && m_inWrite == wasInWrite && m_inStream == wasInStream) break;
    }
}

void UsbPanelProtocol::dropRx(std::size_t n) {
    m_rx.erase(m_rx.begin(), m_rx.begin() + static_cast<std::ptrdiff_t>(n));
    while (n > 0 && !m_rxArrivals.empty()) {
        Arrival& a = m_rxArrivals.front();
        const std::size_t taken = std::min(n, a.size);
        a.size -= taken;
        n -= taken;
        if (a.size == 0) m_rxArrivals.pop_front();
    }
}

void UsbPanelProtocol::noteGarbage(double timeMs) {
    if (m_garbage == 0) return;
    m_board.record(timeMs, "garbage " + std::to_string(m_garbage));
    m_garbage = 0;
}

void UsbPanelProtocol::parseFrames(double timeMs, std::vector<std::uint8_t>& out) {
    std::size_t pos = 0;
    while (m_rx.size() - pos >= 2 && !m_inWrite) {
        if (m_rx[pos] != kFrameHeaderByte || m_rx[pos + 1] != kFrameHeaderByte) {
            ++pos;
            ++m_garbage;
            continue;
        }
        const std::size_t left = m_rx.size() - pos;
        if (left < 4) break;
        if (m_rx[pos + 2] == kEndCommand[2] && m_rx[pos + 3] == kEndCommand[3]) {
            noteGarbage(timeMs);
            m_board.record(timeMs, "end");
            m_armed = false;
            pos += kEndCommand.size();
            continue;
        }
        if (m_armed && !isCommand(m_rx[pos + 2])) {
            if (left < kTskCountOffset + 2) break;  // the count tells the stream's length
            noteGarbage(timeMs);
            dropRx(pos);
            startStream(timeMs);
            return;
        }
        if (left < kFrameSize) break;
        const auto frame = std::span<const std::uint8_t, kFrameSize>(m_rx.data() + pos, kFrameSize);
        if (!frameCrcMatches(frame)) {
            // Not a frame after all: look for the next header from the following byte.
            ++pos;
            ++m_garbage;
            continue;
        }
        noteGarbage(timeMs);
        dispatch(frame.data(), timeMs, out);
        pos += kFrameSize;
    }
    // A lone trailing byte that is not a header start can never begin a frame.
    if (m_rx.size() - pos == 1 && m_rx[pos] != kFrameHeaderByte && !m_inWrite) {
        ++pos;
        ++m_garbage;
    }
    dropRx(pos);
}

void UsbPanelProtocol::dispatch(const std::uint8_t* frame, double timeMs, std::vector<std::uint8_t>& out) {
    const std::uint8_t command = frame[2];
    const int block = frame[4];
    if ((command == kCmdIdentify || command == kCmdIdentifyLoader) && frame[3] == kIdentifyArgument) {
        answerIdentify(command, timeMs, out);
        if (command == kCmdIdentifyLoader) m_armed = true;
    } else if (command == kCmdReadBlock) {
        answerRead(block, timeMs, out);
    } else if (command == kCmdWriteBlock) {
        m_board.record(timeMs, "write " + std::to_string(block));
        m_inWrite = true;
        m_writeBlock = block;
        m_data.clear();
    } else {
        m_board.record(timeMs, "unknown " + hex(command));
    }
}

void UsbPanelProtocol::answerIdentify(std::uint8_t command, double timeMs, std::vector<std::uint8_t>& out) {
    m_board.record(timeMs, "identify " + hex(command));
    CommandFrame reply = makeFrame(static_cast<std::uint8_t>(m_board.typeCode()),
                                   static_cast<std::uint8_t>(m_board.versionCode()), 0x00);
    // Faults tied to a block concern that block's reads only.
    if (m_board.fault(PanelFault::Kind::ReplyHeader) != nullptr) reply[0] ^= 0x01;
    if (m_board.fault(PanelFault::Kind::ReplyCrc) != nullptr) reply[6] ^= 0x01;
    send(reply, out);
}

void UsbPanelProtocol::answerRead(int block, double timeMs, std::vector<std::uint8_t>& out) {
    m_board.record(timeMs, "read " + std::to_string(block));
    if (block >= static_cast<int>(kStorageBlocks) ||
        m_board.fault(PanelFault::Kind::ReadFails, block) != nullptr)
        return;  // never answered
    BlockPacket packet = makeBlockPacket(m_board.block(static_cast<std::size_t>(block)));
    if (m_board.fault(PanelFault::Kind::ReplyHeader, block) != nullptr) packet[1] ^= 0x01;
    if (m_board.fault(PanelFault::Kind::ReplyCrc, block) != nullptr) packet[kBlockPacketSize - 2] ^= 0x01;
    send(packet, out);
}

void UsbPanelProtocol::takeData(double timeMs, std::vector<std::uint8_t>& out) {
    const std::string name = "write " + std::to_string(m_writeBlock);
    std::size_t used = 0;
    while (used < m_rx.size() && m_data.size() < kBlockPacketSize) {
        const std::size_t at = m_data.size();
        // Milestones of the data phase, so that the PC's pauses show in the record.
        if (at == 0) m_board.record(timeMs, name + " header");
        if (at >= 2 && at < 2 + kUsbBlockSize && (at - 2) % kPacketSize == 0)
            m_board.record(timeMs, name + " packet " + std::to_string((at - 2) / kPacketSize));
        if (at == kBlockPacketSize - 2) m_board.record(timeMs, name + " crc-low");
        if (at == kBlockPacketSize - 1) m_board.record(timeMs, name + " crc-high");
        m_data.push_back(m_rx[used++]);
    }
    dropRx(used);
    if (m_data.size() == kBlockPacketSize) finishWrite(timeMs, out);
}

void UsbPanelProtocol::startStream(double timeMs) {
    m_inStream = true;
    m_streamLength = *tskCount(m_rx) + kTskCountOverhead;
    m_stream.clear();
    m_stream.reserve(m_streamLength);
    m_streamFirstMs = m_rxArrivals.empty() ? timeMs : m_rxArrivals.front().timeMs;
    m_streamLastMs = m_streamFirstMs;
    m_pauseFault.clear();
    m_board.record(timeMs, "firmware stream of " + std::to_string(m_streamLength));
}

void UsbPanelProtocol::takeStream(std::vector<std::uint8_t>& out) {
    while (m_inStream && !m_rx.empty() && !m_rxArrivals.empty()) {
        const Arrival arrival = m_rxArrivals.front();
        const std::size_t offset = m_stream.size();
        const std::size_t n = std::min(arrival.size, m_streamLength - offset);
        m_board.record(arrival.timeMs, "firmware " + std::to_string(offset) + "+" + std::to_string(n));
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t o = offset + i;
            const int owed = pauseBefore(o, m_streamLength);
            const double waited = i == 0 ? arrival.timeMs - m_streamLastMs : 0;
            if (m_pauseCheck == PauseCheck::EachPause && owed > 0 && waited < owed && m_pauseFault.empty())
                m_pauseFault = "no pause before byte " + std::to_string(o);
        }
        m_stream.insert(m_stream.end(), m_rx.begin(), m_rx.begin() + static_cast<std::ptrdiff_t>(n));
        m_streamLastMs = arrival.timeMs;
        dropRx(n);
        if (m_stream.size() == m_streamLength) finishStream(out);
    }
}

void UsbPanelProtocol::finishStream(std::vector<std::uint8_t>& out) {
    m_inStream = false;
    const double timeMs = m_streamLastMs;
    std::optional<std::string> reason = checkFirmwareStream(m_stream, m_board.typeCode());
    if (!m_pauseFault.empty()) reason = m_pauseFault;
    if (m_pauseCheck == PauseCheck::StreamDuration) {
        int owed = 0;
        for (std::size_t o = 0; o < m_streamLength; ++o) owed += pauseBefore(o, m_streamLength);
        const double lasted = m_streamLastMs - m_streamFirstMs;
        if (lasted < owed - kStreamClockSlackMs)
            reason = "lasted " + std::to_string(static_cast<int>(lasted)) + " ms of " + std::to_string(owed);
    }
    if (!reason && m_board.fault(PanelFault::Kind::FirmwareRefused) != nullptr) reason = "refused (fault)";
    if (m_board.fault(PanelFault::Kind::FirmwareSilent) != nullptr) {
        m_board.record(timeMs, "firmware silent");
        m_stream.clear();
        return;
    }
    const std::uint8_t status = reason ? 1 : 0;
    m_board.record(timeMs, "firmware status " + std::to_string(status) + (reason ? " " + *reason : ""));
    send(makeFrame(static_cast<std::uint8_t>(m_board.typeCode()), status, 0x00), out);
    if (!reason) m_board.installFirmware(m_stream[3]);
    m_stream.clear();
}

void UsbPanelProtocol::finishWrite(double timeMs, std::vector<std::uint8_t>& out) {
    const int block = m_writeBlock;
    m_inWrite = false;
    const auto data = std::span<const std::uint8_t, kUsbBlockSize>(m_data.data() + 2, kUsbBlockSize);
    const std::uint16_t crc = blockCrc(data);
    const bool intact = m_data[0] == kPacketHeaderByte && m_data[1] == kPacketHeaderByte &&
                        m_data[kBlockPacketSize - 2] == crcLow(crc) &&
                        m_data[kBlockPacketSize - 1] == crcHigh(crc);
    const bool accepted = intact && block < static_cast<int>(kStorageBlocks) &&
                          m_board.fault(PanelFault::Kind::WriteRefused, block) == nullptr;
    if (accepted) std::copy(data.begin(), data.end(), m_board.block(static_cast<std::size_t>(block)).begin());
    const std::uint8_t status = accepted ? kWriteAccepted : 1;
    m_board.record(timeMs, "write " + std::to_string(block) + " status " + std::to_string(status));
    m_data.clear();
    CommandFrame reply = makeFrame(kCmdWriteBlock, status, static_cast<std::uint8_t>(block));
    send(reply, out);
    if (accepted) m_board.notifyAcceptedWrite(block);
}

void UsbPanelProtocol::send(std::span<const std::uint8_t> reply, std::vector<std::uint8_t>& out) {
    const std::size_t n = m_board.allowSend(reply.size());
    out.insert(out.end(), reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace livna::panelsim
