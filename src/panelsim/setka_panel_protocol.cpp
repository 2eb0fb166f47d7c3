#include "panelsim/setka_panel_protocol.h"

#include <algorithm>
#include <cstdio>

#include "common/crc.h"
#include "common/tsk_file.h"
#include "panelsim/tsk_maker.h"
#include "setka/editor/default_images.h"
#include "setka/editor/system_variant.h"

namespace livna::panelsim {

namespace {

constexpr std::uint8_t kHeader = 0x55;
constexpr std::uint8_t kConnect = 0xAA;
constexpr std::uint8_t kLoader = 0xA0;
constexpr std::uint8_t kReadSettings = 0x91;
constexpr std::uint8_t kWriteSettings = 0x92;
constexpr std::uint8_t kReadCodes = 0x93;
constexpr std::uint8_t kWriteCodes = 0x94;
constexpr std::uint8_t kAccepted = 0x00;
constexpr std::uint8_t kRefused = 0xFF;
constexpr std::uint8_t kWriteRefusedStatus = 0x01;
constexpr std::uint8_t kFirmwareRefusedStatus = 0x01;
constexpr std::size_t kFirmwareChunk = 8;
constexpr std::size_t kFirmwareVersionOffset = 3;
// The four requests are consecutive codes: a request is judged by its range.
static_assert(kWriteSettings == kReadSettings + 1 && kReadCodes == kWriteSettings + 1 &&
              kWriteCodes == kReadCodes + 1);

std::string hex(int b) {
    char s[8];
    std::snprintf(s, sizeof s, "%02X", b & 0xFF);
    return s;
}

bool isSettings(std::uint8_t command) {
    return command == kReadSettings || command == kWriteSettings;
}

}  // namespace

void seedSetkaBoard(PanelBoard& board, unsigned versionCode) {
    using namespace livna::setka;
    const SystemVariant variant =
        variantOfMajor(majorNumber(static_cast<int>(versionCode))).value_or(SystemVariant::Kvm1);
    const SettingsImage& image = defaultImages().of(variant);
    for (std::size_t i = 0; i < image.size(); ++i) {
        const std::size_t at = kSetkaSettingsFirstBlock * kBlockSize + i;
        if (at < kStorageBlocks * kBlockSize)
            board.block(at / kBlockSize)[at % kBlockSize] = static_cast<std::uint8_t>(image[i] & 0xFF);
    }
    board.block(kSetkaSettingsFirstBlock)[1] = static_cast<std::uint8_t>(versionCode);
}

std::size_t SetkaPanelProtocol::firstBlock(std::uint8_t command) const {
    return isSettings(command) ? kSetkaSettingsFirstBlock : kSetkaCodesFirstBlock;
}

std::size_t SetkaPanelProtocol::areaBytes(std::uint8_t command, int configByte) const {
    const int blocks =
        isSettings(command) ? setka::settingsBlocks(configByte) : setka::codesBlocks(configByte);
    return static_cast<std::size_t>(blocks) * kBlockSize;
}

void SetkaPanelProtocol::send(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out) {
    const std::size_t n = m_board.allowSend(bytes.size());
    out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

void SetkaPanelProtocol::receive(std::span<const std::uint8_t> bytes, double timeMs,
                                 std::vector<std::uint8_t>& out) {
    for (std::uint8_t b : bytes) {
        // A PC that gave up mid-frame, or never acknowledged, must not have its next request
        // taken for frame data or for the acknowledgement.
        if (m_state != State::Request && timeMs - m_lastByteMs > resetGapMs()) {
            m_board.record(timeMs, m_state == State::Frame ? "write abandoned"
                                   : m_state == State::Firmware
                                       ? "firmware abandoned after " + std::to_string(m_rx.size())
                                       : "acknowledgement missing");
            m_state = State::Request;
            m_rx.clear();
        }
        const double gapMs = timeMs - m_lastByteMs;
        m_lastByteMs = timeMs;
        switch (m_state) {
            case State::LoaderAcknowledge:
                m_board.record(timeMs, "loader acknowledgement " + hex(b));
                m_state = b == kAccepted ? State::Firmware : State::Request;
                m_rx.clear();
                m_streamLength = 0;
                m_pauseFault.clear();
                break;
            case State::Firmware:
                if (!m_rx.empty() && m_rx.size() % kFirmwareChunk == 0 &&
                    gapMs < kSetkaFirmwarePauseMs - kSetkaFirmwarePauseSlackMs && m_pauseFault.empty())
                    m_pauseFault = "no pause before byte " + std::to_string(m_rx.size());
                firmwareByte(b, timeMs, out);
                break;
            case State::Acknowledge:
                m_board.record(timeMs, "acknowledgement " + hex(b));
                m_state = State::Request;
                break;
            case State::Frame:
                m_rx.push_back(b);
                if (m_rx.size() == m_frameBytes) finishFrame(timeMs, out);
                break;
            case State::Request:
                if (m_rx.empty() && b != kHeader) break;  // resynchronise on the request header
                m_rx.push_back(b);
                if (m_rx.size() == 4) request(timeMs, out);
                break;
        }
    }
}

void SetkaPanelProtocol::request(double timeMs, std::vector<std::uint8_t>& out) {
    const std::array<std::uint8_t, 4> r{m_rx[0], m_rx[1], m_rx[2], m_rx[3]};
    m_rx.clear();
    if (r[1] == kHeader && r[3] == kConnect && r[2] == kConnect) {
        ++m_connects;
        m_board.record(timeMs, "connect " + std::to_string(m_connects));
        if (m_connects < m_faults.answerFrom) return;
        std::array<std::uint8_t, 4> reply{m_faults.header0 ? std::uint8_t{0} : kHeader, kHeader,
                                          static_cast<std::uint8_t>(m_board.typeCode()), 0};
        reply[3] = crc8Maxim(std::span(reply).first<3>());
        if (m_faults.crcConnect) reply[3] ^= 0x01;
        send(reply, out);
        m_state = State::Acknowledge;
        return;
    }
    if (r[1] == kHeader && r[2] == kLoader && r[3] == kConnect) {
        loaderRequest(timeMs, out);
        return;
    }
    const std::uint8_t command = r[2];
    if (command < kReadSettings || command > kWriteCodes || r[3] != crc8Maxim(std::span(r).first<3>())) {
        m_board.record(timeMs,
                       "bad request " + hex(r[0]) + " " + hex(r[1]) + " " + hex(r[2]) + " " + hex(r[3]));
        // A stray 0x55 before a request: look for the next header among the bytes after it.
        m_rx.assign(r.begin() + 1, r.end());
        while (!m_rx.empty() && m_rx.front() != kHeader) m_rx.erase(m_rx.begin());
        return;
    }
    m_board.record(timeMs, "request " + hex(command) + " config " + hex(r[1]));
    if (std::find(m_faults.refused.begin(), m_faults.refused.end(), command) != m_faults.refused.end()) {
        m_board.record(timeMs, "request " + hex(command) + " refused");
        send(std::array{kRefused}, out);
        return;
    }
    send(std::array{kAccepted}, out);
    m_command = command;
    m_configByte = r[1];
    const std::size_t n = areaBytes(command, r[1]);
    if (command == kWriteSettings || command == kWriteCodes) {
        m_frameBytes = n + 3;
        m_state = State::Frame;
        return;
    }
    std::vector<std::uint8_t> frame{0xAA, 0xAA};
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t block = firstBlock(command) + i / kBlockSize;
        frame.push_back(block < kStorageBlocks ? m_board.block(block)[i % kBlockSize] : 0);
    }
    std::uint8_t crc = crc8Maxim(frame);
    if (isSettings(command) ? m_faults.crcSettings : m_faults.crcCodes) crc ^= 0x01;
    frame.push_back(crc);
    send(frame, out);
    m_state = State::Acknowledge;
}

void SetkaPanelProtocol::finishFrame(double timeMs, std::vector<std::uint8_t>& out) {
    m_state = State::Request;
    const std::size_t n = m_frameBytes - 3;
    const std::string area = isSettings(m_command) ? "settings" : "codes";
    std::uint8_t status = kAccepted;
    if (m_rx[n + 2] != crc8Maxim(std::span(m_rx).first(n + 2)))
        status = kRefused;
    else if (isSettings(m_command) ? m_faults.writeSettingsRefused : m_faults.writeCodesRefused)
        status = kWriteRefusedStatus;
    if (status == kAccepted) {
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t block = firstBlock(m_command) + i / kBlockSize;
            if (block < kStorageBlocks) m_board.block(block)[i % kBlockSize] = m_rx[2 + i];
        }
    }
    m_board.record(timeMs, "write " + area + " status " + hex(status));
    m_rx.clear();
    send(std::array{status}, out);
    if (status == kAccepted) m_board.notifyAcceptedWrite(static_cast<int>(firstBlock(m_command)));
}

double SetkaPanelProtocol::resetGapMs() const {
    // The PC reads the loader's reply after its own pause, and starts the stream from a new
    // worker: both gaps are longer than those inside an exchange.
    const bool loaderWait =
        m_state == State::LoaderAcknowledge || (m_state == State::Firmware && m_rx.empty());
    return loaderWait ? kSetkaLoaderIdleMs : kDataGapResetMs;
}

void SetkaPanelProtocol::loaderRequest(double timeMs, std::vector<std::uint8_t>& out) {
    if (m_faults.loaderSilent) {
        m_board.record(timeMs, "loader request unanswered");
        return;
    }
    m_board.record(timeMs, "loader request");
    // Types 9 and 10 trade places under the fault, so the reply names a real device.
    const unsigned type = m_faults.loaderType ? m_board.typeCode() ^ 0x03 : m_board.typeCode();
    std::array<std::uint8_t, 4> reply{kHeader, kHeader, static_cast<std::uint8_t>(type), 0};
    reply[3] = crc8Maxim(std::span(reply).first<3>());
    send(reply, out);
    m_state = State::LoaderAcknowledge;
}

void SetkaPanelProtocol::firmwareByte(std::uint8_t b, double timeMs, std::vector<std::uint8_t>& out) {
    m_rx.push_back(b);
    if (m_rx.size() == kTskCountOffset + 2) {
        m_streamLength = *tskCount(m_rx) + kTskCountOverhead;
        m_board.record(timeMs, "firmware stream of " + std::to_string(m_streamLength));
    }
    if (m_streamLength != 0 && m_rx.size() == m_streamLength) finishFirmware(timeMs, out);
}

void SetkaPanelProtocol::finishFirmware(double timeMs, std::vector<std::uint8_t>& out) {
    m_state = State::Request;
    std::optional<std::string> reason = checkFirmwareStream(m_rx, m_board.typeCode());
    if (!reason && !m_pauseFault.empty()) reason = m_pauseFault;
    if (!reason && m_board.fault(PanelFault::Kind::FirmwareRefused) != nullptr) reason = "refused (fault)";
    if (m_board.fault(PanelFault::Kind::FirmwareSilent) != nullptr) {
        m_board.record(timeMs, "firmware silent");
        m_rx.clear();
        return;
    }
    const std::uint8_t status = reason ? kFirmwareRefusedStatus : kAccepted;
    m_board.record(timeMs, "firmware status " + hex(status) + (reason ? " " + *reason : ""));
    if (!reason) {
        const std::uint8_t version = m_rx[kFirmwareVersionOffset];
        m_board.installFirmware(version);
        for (std::size_t block = kSetkaSettingsFirstBlock; block <= kSetkaCodesLastBlock; ++block)
            std::fill(m_board.block(block).begin(), m_board.block(block).end(), 0xFF);
        m_board.block(kSetkaSettingsFirstBlock)[1] = version;
    }
    m_rx.clear();
    send(std::array{status}, out);
}

}  // namespace livna::panelsim
